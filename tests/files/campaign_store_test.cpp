// The store of a campaign: a row reads back as written, a campaign cut short
// is taken up from its complete rows, shards merge only when they are one
// campaign whose runs follow each other, and no row is kept whose drawn
// values the campaign does not draw.
#include "ascent/campaign_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>

#include "ascent/files.h"
#include "ascent/grammar.h"
#include "ascent/writers.h"
#include "files/vehicle_file.h"
#include "mission/hash.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const std::vector<Dispersion> keys = {{"core.thrust_N", Distribution::Normal, 1, 0, 0, true},
                                      {"upper.mass_kg", Distribution::Uniform, 0, -1, 1, false}};

CampaignRow rowOf(std::uint64_t run) {
  CampaignRow row;
  row.run = run;
  row.values = {9e6 + static_cast<double>(run), 0.1 * static_cast<double>(run)};
  row.flightClass = run % 3 == 0 ? FlightClass::Failed : FlightClass::Orbit;
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    row.outputs[k] =
        row.flightClass == FlightClass::Orbit ? 1e5 + static_cast<double>(run + k) : std::nan("");
  }
  if (row.flightClass == FlightClass::Failed) row.reason = "106: record 3, \"x\"\nof s1.dat";
  return row;
}

struct CampaignStore : ::testing::Test {
  TempDir dir;
  const CampaignRowSchema schema{keys};
  const Sampler sampler{Vehicle::defaults(), keys};
  const SamplerOf samplerOf = [this](const CampaignManifest&, const std::string&) {
    return sampler;
  };
  GuidanceMode guidance = GuidanceMode::Fixed;  // of the manifests written
  std::string path(const std::string& name) const { return (dir / name).string(); }
  CampaignManifest manifestOf(std::uint64_t seed, std::uint64_t first, std::uint64_t end) const {
    CampaignManifest m;
    m.program = "ascent test";
    m.seed = seed;
    m.turnTime_s = 18;
    m.guidance = guidance;
    if (guidance == GuidanceMode::Fixed) m.limit_deg = 24.06;
    const std::string header = csvHeader(schema.fields());
    m.columns = header.substr(0, header.size() - 1);
    m.firstRun = first;
    m.endRun = end;
    return m;
  }
  // A shard of runs first <= i < end holding the rows up to `upTo` drawn from `rowSeed`
  // (0: the manifest's seed), the second value of run `edited` one bit off.
  void writeShard(const std::string& name, std::uint64_t seed, std::uint64_t first,
                  std::uint64_t end, std::uint64_t upTo, std::uint64_t rowSeed = 0,
                  std::uint64_t edited = UINT64_MAX) {
    const CampaignManifest m = manifestOf(seed, first, end);
    CampaignWriter writer(path(name), m.columns + '\n');
    for (std::uint64_t run = first; run < upTo; ++run) {
      CampaignRow row = rowOf(run);
      sampler.draw(rowSeed != 0 ? rowSeed : seed, run, row.values);
      if (run == edited) row.values[1] = std::nextafter(row.values[1], HUGE_VAL);
      writer.write(campaignCsvLine(schema, row));
    }
    writer.commit(m);
  }
};

TEST_F(CampaignStore, ARowReadsBackAsWrittenItsReasonOnOneLine) {
  CampaignRow written = rowOf(3);
  written.values[1] = HUGE_VAL;  // a draw that overflowed
  const std::string line = campaignCsvLine(schema, written);
  // Reason, an empty targeting (a fixed limit), ten empty outputs and no decision in flight.
  EXPECT_EQ(line, "3,9000003,inf,failed,\"106: record 3, \"\"x\"\" of s1.dat\",,,,,,,,,,,,,,\n");
  CampaignRow read;
  std::string reason;
  ASSERT_TRUE(parseCampaignCsvRow(line.substr(0, line.size() - 1), 2, read, reason)) << reason;
  EXPECT_EQ(campaignCsvLine(schema, read), line);
  EXPECT_FALSE(parseCampaignCsvRow("3,1,2,landed" + std::string(5 + campaignOutputCount, ','), 2,
                                   read, reason));
  EXPECT_EQ(reason, "'landed' is not an outcome");
}

TEST_F(CampaignStore, AResumeTakesUpTheCompleteRowsOfACampaignCutShort) {
  writeShard("c.csv", 1, 0, 10, 6);
  const std::string complete = readFile(dir / "c.csv");
  writeFile(dir / "c.csv", complete + "6,9000006,0.");  // a row cut short
  std::vector<std::uint64_t> runs;
  CampaignWriter writer(path("c.csv"), manifestOf(1, 0, 10).columns + '\n');
  const std::uint64_t done =
      resumeCampaign(path("c.csv"), manifestOf(1, 0, 10), sampler, writer,
                     [&](const CampaignRow& row) { runs.push_back(row.run); });
  EXPECT_EQ(done, 6u);
  EXPECT_EQ(runs, (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5}));
  writer.commit(manifestOf(1, 0, 10));
  EXPECT_EQ(readFile(dir / "c.csv"), complete);
}

TEST_F(CampaignStore, AResumeRefusesRowsItCannotTakeUpAndLeavesThemAsTheyWere) {
  const std::string header = csvHeader(schema.fields());
  std::vector<double> first(2);
  sampler.draw(1, 0, first);
  const std::string drawn0 = "0," + exactText(first[0]) + ',' + exactText(first[1]);
  // After the outcome: an empty reason, targeting, outputs and decision.
  const std::string orbit = ",orbit" + std::string(5 + campaignOutputCount, ',') + "\n";
  const struct {
    std::uint64_t seed, first, end;
    std::string csv;  // replaces the CSV; empty: as written
    bool manifest;
    std::string message;
    std::uint64_t rowSeed = 0, edited = UINT64_MAX;
    GuidanceMode resumedAs = GuidanceMode::Fixed;
  } cases[] = {
      {2, 0, 10, "", true, "c.csv: belongs to another campaign (its manifest"},
      {1, 0, 12, "", true, "differs in the runs)"},
      {1, 0, 10, "", false, "c.csv: has no manifest"},
      {1, 0, 10, "x\n", true, "c.csv:1: the columns are not those of this campaign"},
      {1, 0, 10, header + drawn0 + orbit + "2,1,2" + orbit, true,
       "c.csv:3: run 2 where run 1 was expected"},
      {1, 0, 10, header + "0,1,2" + orbit, true,
       "c.csv:2: run 0: core.thrust_N = 1 is not the value the campaign's seed 1 draws (" +
           exactText(first[0]) + ")"},
      {1, 0, 10, header + drawn0 + orbit + "1,2,1e999" + orbit, true,
       "c.csv:3: '1e999' is out of the range of numbers"},
      {1, 0, 10, "", true, "c.csv:2: run 0: core.thrust_N = ", 2},
      {1, 0, 10, "", true, "c.csv:4: run 2: upper.mass_kg = ", 0, 2},
      {1, 0, 10, "", true, "differs in the guidance)", 0, UINT64_MAX, GuidanceMode::Omniscient},
  };
  for (const auto& c : cases) {
    writeShard("c.csv", 1, 0, 10, 4, c.rowSeed, c.edited);
    if (!c.csv.empty()) writeFile(dir / "c.csv", c.csv);
    if (!c.manifest) std::filesystem::remove(dir / "c.manifest.toml");
    const std::string before = readFile(dir / "c.csv");
    try {
      guidance = c.resumedAs;
      const CampaignManifest m = manifestOf(c.seed, c.first, c.end);
      guidance = GuidanceMode::Fixed;
      CampaignWriter writer(path("c.csv"), m.columns + '\n');
      resumeCampaign(path("c.csv"), m, sampler, writer, [](const CampaignRow&) {});
      ADD_FAILURE() << c.message;
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
    EXPECT_EQ(readFile(dir / "c.csv"), before) << c.message;
  }
}

TEST_F(CampaignStore, ShardsMergeInRunOrderOnlyAsOneCampaignWithEveryRunOnce) {
  writeShard("a.csv", 1, 0, 4, 4);
  writeShard("b.csv", 1, 4, 9, 9);
  writeShard("whole.csv", 1, 0, 9, 9);
  std::uint64_t next = 0;
  const MergedCampaign merged = mergeCampaign(
      {path("b.csv"), path("a.csv")}, path("m.csv"),
      [&](const CampaignRow& row) { EXPECT_EQ(row.run, next++); }, samplerOf);
  EXPECT_EQ(merged.shards, 2u);
  EXPECT_EQ(readFile(dir / "m.csv"), readFile(dir / "whole.csv"));
  EXPECT_EQ(readFile(dir / "m.manifest.toml"), readFile(dir / "whole.manifest.toml"));

  writeShard("gap.csv", 1, 5, 9, 9);
  writeShard("overlap.csv", 1, 2, 9, 9);
  writeShard("seed.csv", 2, 4, 9, 9);
  writeShard("cut.csv", 1, 4, 9, 7);
  writeShard("drawn.csv", 1, 4, 9, 9, 2);
  guidance = GuidanceMode::Omniscient;
  writeShard("omniscient.csv", 1, 4, 9, 9);
  guidance = GuidanceMode::Fixed;
  const struct {
    std::vector<std::string> shards;
    std::string message;
  } refused[] = {
      {{"a.csv", "gap.csv"}, "runs 4:5 are in no shard"},
      {{"a.csv", "overlap.csv"}, path("overlap.csv") + ": runs 2:4 are also in " + path("a.csv")},
      {{"a.csv", "seed.csv"},
       path("seed.csv") + ": belongs to another campaign than " + path("a.csv") +
           " (their manifests differ in the seed)"},
      {{"a.csv", "cut.csv"}, path("cut.csv") + ": holds runs 4:7 of 4:9 (an interrupted shard"},
      {{"a.csv", "drawn.csv"}, path("drawn.csv") + ":2: run 4: core.thrust_N = "},
      {{"a.csv", "omniscient.csv"},
       path("omniscient.csv") + ": belongs to another campaign than " + path("a.csv") +
           " (their manifests differ in the guidance)"},
  };
  for (const auto& r : refused) {
    std::vector<std::string> shards;
    for (const std::string& name : r.shards) shards.push_back(path(name));
    try {
      mergeCampaign(
          shards, path("out.csv"), [](const CampaignRow&) {}, samplerOf);
      ADD_FAILURE() << r.message;
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(r.message, 0), 0u) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv")) << r.message;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.manifest.toml")) << r.message;
  }
}

// A CSV is read as it streams by, so only a line has a size limit.
TEST_F(CampaignStore, ALineLongerThanARowCanBeIsAnInputTooLarge) {
  writeShard("c.csv", 1, 0, 10, 2);
  writeFile(dir / "c.csv", readFile(dir / "c.csv") + std::string(std::size_t{2} << 20, '9'));
  CampaignWriter writer(path("c.csv"), manifestOf(1, 0, 10).columns + '\n');
  try {
    resumeCampaign(path("c.csv"), manifestOf(1, 0, 10), sampler, writer, [](const CampaignRow&) {});
    ADD_FAILURE() << "a line of 2 MiB was read";
  } catch (const InputError& error) {
    ADD_FAILURE() << error.what();
  } catch (const Error& error) {
    EXPECT_EQ(error.code(), EFBIG);
    EXPECT_EQ(std::string(error.what()),
              "cannot read " + path("c.csv") + ": a line is larger than 1 MiB");
  }
}

// A merge draws the rows again from the files the manifest names, each
// found as named or beside the CSV, and only when they are the campaign's.
TEST_F(CampaignStore, TheSamplerOfAManifestIsThatOfItsOwnFiles) {
  const std::string toml =
      "schema = 1\n[[dispersion]]\nkey = \"core.thrust_N\"\ndistribution = \"normal\"\n"
      "sigma = 1\nrelative = true\n";
  writeFile(dir / "d.toml", toml);
  const DispersionFile file = readDispersionFile(path("d.toml"), Vehicle::defaults());
  CampaignManifest m = manifestOf(1, 0, 10);
  m.dispersionFile = "d.toml";  // not in the current directory: beside the CSV
  m.dispersionHash = file.hash;
  m.vehicleHash = vehicleHash(Vehicle::defaults());
  std::vector<double> drawn(1), expected(1);
  campaignSampler(m, path("c.csv")).draw(1, 7, drawn);
  Sampler(Vehicle::defaults(), file.dispersions).draw(1, 7, expected);
  EXPECT_EQ(drawn, expected);
  const struct {
    std::string field, value, message;
  } refused[] = {
      {"dispersion", "0123456789abcdef", "c.csv: its runs were not drawn from " + path("d.toml")},
      {"vehicle", "0123456789abcdef", "c.csv: its runs were not drawn with the default vehicle"},
  };
  for (const auto& r : refused) {
    CampaignManifest other = m;
    (r.field == "vehicle" ? other.vehicleHash : other.dispersionHash) = r.value;
    try {
      campaignSampler(other, path("c.csv"));
      ADD_FAILURE() << r.message;
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find(r.message), std::string::npos) << error.what();
    }
  }
}

// The judging a manifest records reads back as written; a manifest written
// before it was recorded reads without it, and the judging tells no campaign
// from another.
TEST_F(CampaignStore, AManifestRecordsItsJudgingAndOneWithoutItStillReads) {
  CampaignManifest judged = manifestOf(1, 0, 10);
  judged.judging = CampaignJudging{
      500, 0.99, 0.95, {parseRequirement("perigee_m>=190km"), parseRequirement("SC_M_kg>=120t")}};
  const std::string text = manifestToml(judged);
  writeFile(dir / "judged.manifest.toml", text);
  const CampaignManifest read = readManifest(path("judged.manifest.toml"));
  ASSERT_TRUE(read.judging);
  EXPECT_EQ(read.judging->minRemainingPropellant_kg, 500);
  EXPECT_EQ(read.judging->probability, 0.99);
  EXPECT_EQ(read.judging->confidence, 0.95);
  ASSERT_EQ(read.judging->requirements.size(), 2u);
  EXPECT_EQ(read.judging->requirements[1].text, "SC_M_kg>=120t");
  EXPECT_EQ(manifestToml(read), text);

  writeFile(dir / "old.manifest.toml", text.substr(0, text.find("min_remaining_propellant_kg")));
  const CampaignManifest old = readManifest(path("old.manifest.toml"));
  EXPECT_FALSE(old.judging);
  EXPECT_EQ(manifestDifference(old, read), "");
}

}  // namespace
}  // namespace ascent

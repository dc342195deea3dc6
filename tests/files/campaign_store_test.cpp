// The store of a campaign: a row reads back as written, a campaign cut short
// is taken up from its complete rows, and shards merge only when they are
// one campaign whose runs follow each other.
#include "files/campaign_store.h"

#include <gtest/gtest.h>

#include <cmath>

#include "files/csv.h"
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
  std::string path(const std::string& name) const { return (dir / name).string(); }
  CampaignManifest manifestOf(std::uint64_t seed, std::uint64_t first, std::uint64_t end) const {
    CampaignManifest m;
    m.program = "ascent test";
    m.seed = seed;
    m.turnTime_s = 18;
    m.limitDeg = 24.06;
    const std::string header = csvHeader(schema.fields());
    m.columns = header.substr(0, header.size() - 1);
    m.firstRun = first;
    m.endRun = end;
    return m;
  }
  // A shard of runs first <= i < end holding the rows up to `upTo`.
  void writeShard(const std::string& name, std::uint64_t seed, std::uint64_t first,
                  std::uint64_t end, std::uint64_t upTo) {
    const CampaignManifest m = manifestOf(seed, first, end);
    CampaignWriter writer(path(name), m.columns + '\n');
    for (std::uint64_t run = first; run < upTo; ++run) {
      writer.write(campaignCsvLine(schema, rowOf(run)));
    }
    writer.commit(m);
  }
};

TEST_F(CampaignStore, ARowReadsBackAsWrittenItsReasonOnOneLine) {
  CampaignRow written = rowOf(3);
  written.values[1] = HUGE_VAL;  // a draw that overflowed
  const std::string line = campaignCsvLine(schema, written);
  EXPECT_EQ(line, "3,9000003,inf,failed,\"106: record 3, \"\"x\"\" of s1.dat\",,,,,,,,,\n");
  CampaignRow read;
  std::string reason;
  ASSERT_TRUE(parseCampaignCsvRow(line.substr(0, line.size() - 1), 2, read, reason)) << reason;
  EXPECT_EQ(campaignCsvLine(schema, read), line);
  EXPECT_FALSE(parseCampaignCsvRow("3,1,2,landed,,,,,,,,,,", 2, read, reason));
  EXPECT_EQ(reason, "'landed' is not an outcome");
}

TEST_F(CampaignStore, AResumeTakesUpTheCompleteRowsOfACampaignCutShort) {
  writeShard("c.csv", 1, 0, 10, 6);
  const std::string complete = readFile(dir / "c.csv");
  writeFile(dir / "c.csv", complete + "6,9000006,0.");  // a row cut short
  std::vector<std::uint64_t> runs;
  CampaignWriter writer(path("c.csv"), manifestOf(1, 0, 10).columns + '\n');
  const std::uint64_t done =
      resumeCampaign(path("c.csv"), manifestOf(1, 0, 10), writer,
                     [&](const CampaignRow& row) { runs.push_back(row.run); });
  EXPECT_EQ(done, 6u);
  EXPECT_EQ(runs, (std::vector<std::uint64_t>{0, 1, 2, 3, 4, 5}));
  writer.commit(manifestOf(1, 0, 10));
  EXPECT_EQ(readFile(dir / "c.csv"), complete);
}

TEST_F(CampaignStore, AResumeRefusesRowsItCannotTakeUpAndLeavesThemAsTheyWere) {
  const std::string header = csvHeader(schema.fields());
  const struct {
    std::uint64_t seed, first, end;
    std::string csv;  // replaces the CSV; empty: as written
    bool manifest;
    const char* message;
  } cases[] = {
      {2, 0, 10, "", true, "c.csv: belongs to another campaign (its manifest"},
      {1, 0, 12, "", true, "differs in the runs)"},
      {1, 0, 10, "", false, "c.csv: has no manifest"},
      {1, 0, 10, "x\n", true, "c.csv:1: the columns are not those of this campaign"},
      {1, 0, 10, header + "0,1,2,orbit,,,,,,,,,,\n2,1,2,orbit,,,,,,,,,,\n", true,
       "c.csv:3: run 2 where run 1 was expected"},
  };
  for (const auto& c : cases) {
    writeShard("c.csv", 1, 0, 10, 4);
    if (!c.csv.empty()) writeFile(dir / "c.csv", c.csv);
    if (!c.manifest) std::filesystem::remove(dir / "c.manifest.toml");
    const std::string before = readFile(dir / "c.csv");
    try {
      const CampaignManifest m = manifestOf(c.seed, c.first, c.end);
      CampaignWriter writer(path("c.csv"), m.columns + '\n');
      resumeCampaign(path("c.csv"), m, writer, [](const CampaignRow&) {});
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
  const MergedCampaign merged =
      mergeCampaign({path("b.csv"), path("a.csv")}, path("m.csv"),
                    [&](const CampaignRow& row) { EXPECT_EQ(row.run, next++); });
  EXPECT_EQ(merged.shards, 2u);
  EXPECT_EQ(readFile(dir / "m.csv"), readFile(dir / "whole.csv"));
  EXPECT_EQ(readFile(dir / "m.manifest.toml"), readFile(dir / "whole.manifest.toml"));

  writeShard("gap.csv", 1, 5, 9, 9);
  writeShard("overlap.csv", 1, 2, 9, 9);
  writeShard("seed.csv", 2, 4, 9, 9);
  writeShard("cut.csv", 1, 4, 9, 7);
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
  };
  for (const auto& r : refused) {
    std::vector<std::string> shards;
    for (const std::string& name : r.shards) shards.push_back(path(name));
    try {
      mergeCampaign(shards, path("out.csv"), [](const CampaignRow&) {});
      ADD_FAILURE() << r.message;
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()).rfind(r.message, 0), 0u) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.csv")) << r.message;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.manifest.toml")) << r.message;
  }
}

}  // namespace
}  // namespace ascent

// A sensitivity study's store: the shards of its design merge to the rows
// and indices of the whole study, and a row that is not the design's run it
// says it is (its matrix, or a value the seed does not draw there) is
// refused, as are a merge of no shard and a CSV that is not there (by its
// own name, not its manifest's).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "ascent/campaign_store.h"
#include "ascent/writers.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const std::vector<Dispersion> keys = {
    {"core.thrust_N", Distribution::Normal, 1, 0, 0, true},
    {"upper.mass_kg", Distribution::Uniform, 0, -100, 100, false}};
constexpr std::uint64_t rows = 4, seed = 3, runs = rows * 4;

struct SensitivityStore : ::testing::Test {
  TempDir dir;
  const CampaignRowSchema schema = sensitivityRowSchema(keys);
  const Sampler sampler{Vehicle::defaults(), keys};
  const std::vector<SensitivityFactor> factors = sensitivityFactors(keys, {});
  const SamplerOf samplerOf = [this](const CampaignManifest&, const std::string&) {
    return sampler;
  };
  std::string path(const std::string& name) const { return (dir / name).string(); }
  // Runs first <= r < end of the design, each an orbit whose outputs follow
  // its drawn values.
  void writeShard(const std::string& name, std::uint64_t first, std::uint64_t end) {
    CampaignManifest m;
    m.program = "ascent test";
    m.seed = seed;
    m.turnTime_s = 18;
    m.limit_deg = 24.06;
    m.designRows = rows;
    m.columns = schema.header();
    m.firstRun = first;
    m.endRun = end;
    CampaignWriter writer(path(name), m.columns + '\n');
    for (std::uint64_t r = first; r < end; ++r) {
      CampaignRow row;
      row.run = r;
      row.design = designPoint(r, rows, factors.size());
      row.values.resize(keys.size());
      drawDesignRun(sampler, factors, seed, rows, r, row.values);
      for (std::size_t k = 0; k < campaignOutputCount; ++k) {
        row.outputs[k] = row.values[0] * 1e-3 + row.values[1] * static_cast<double>(k);
      }
      writer.write(campaignCsvLine(schema, row));
    }
    writer.commit(m);
  }
};

TEST_F(SensitivityStore, ShardsMergeToTheWholeDesignAndItsIndices) {
  writeShard("whole.csv", 0, runs);
  writeShard("a.csv", 0, 7);
  writeShard("b.csv", 7, runs);
  SensitivitySettings settings;
  const SensitivityResult merged = mergeSensitivity(
      {path("b.csv"), path("a.csv")}, path("m.csv"), settings, [](const CampaignRow&) {},
      samplerOf);
  EXPECT_EQ(readFile(dir / "m.csv"), readFile(dir / "whole.csv"));
  ASSERT_TRUE(merged.complete);
  const SensitivityResult whole = mergeSensitivity(
      {path("whole.csv")}, path("w.csv"), settings, [](const CampaignRow&) {}, samplerOf);
  EXPECT_TRUE(sensitivityValue(merged) == sensitivityValue(whole));
  EXPECT_FALSE(mergeSensitivity(
                   {path("a.csv")}, path("p.csv"), settings, [](const CampaignRow&) {}, samplerOf)
                   .complete);
}

TEST_F(SensitivityStore, ARowThatIsNotTheDesignsRunIsRefused) {
  writeShard("whole.csv", 0, runs);
  const std::string text = readFile(dir / "whole.csv");
  const struct {
    std::string from, to, message;
  } edits[] = {
      {"\n5,B,1,", "\n5,A,1,", ":7: run 5 is the design's B row 1"},
      {"\n9,AB1,1,", "\n9,AB1,1,1", ":11: run 9: core.thrust_N = "},
  };
  for (const auto& e : edits) {
    const std::size_t at = text.find(e.from);
    ASSERT_NE(at, std::string::npos) << e.from;
    writeFile(dir / "whole.csv", text.substr(0, at) + e.to + text.substr(at + e.from.size()));
    try {
      readCampaign(
          path("whole.csv"), [](const CampaignRow&) {}, samplerOf);
      ADD_FAILURE() << e.message;
    } catch (const InputError& error) {
      EXPECT_NE(std::string(error.what()).find(e.message), std::string::npos) << error.what();
    }
  }
}

TEST_F(SensitivityStore, WhatIsMissingIsRefusedByItsOwnName) {
  const CampaignRowSink none = [](const CampaignRow&) {};
  const std::string missing = "cannot open " + path("none.csv") + ":";
  const struct {
    std::function<void()> read;
    std::string message;
    bool input;  // an InputError, not the system's error
  } cases[] = {
      {[&] { mergeSensitivity({}, path("m.csv"), {}, none, samplerOf); }, "no shard", true},
      {[&] { readCampaign(path("none.csv"), none, samplerOf); }, missing, false},
      {[&] { mergeSensitivity({path("none.csv")}, path("m.csv"), {}, none, samplerOf); }, missing,
       false},
  };
  for (const auto& c : cases) {
    try {
      c.read();
      ADD_FAILURE() << c.message;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
      EXPECT_EQ(dynamic_cast<const InputError*>(&error) != nullptr, c.input) << error.what();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "m.csv"));
}

}  // namespace
}  // namespace ascent

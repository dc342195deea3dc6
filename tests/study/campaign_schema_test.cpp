// A campaign's settings are refused in the words both doors use, its rows
// have the columns of its keys, and its summary is the object --json prints.
#include <gtest/gtest.h>

#include "ascent/campaign.h"

namespace ascent {
namespace {

TEST(CampaignSettings, EachRuleIsRefusedInItsOwnWords) {
  const struct {
    void (*change)(CampaignSettings&);
    const char* problem;
  } cases[] = {
      {[](CampaignSettings&) {}, ""},
      {[](CampaignSettings& s) { s.endRun = s.firstRun = 5; },
       "the runs 5:5 hold no run (A:B holds the runs A to B-1)"},
      {[](CampaignSettings& s) { s.turnTime_s = 0.5; },
       "the turn time 0.5 s is outside 1 to 10000 s"},
      {[](CampaignSettings& s) { s.limit_deg = 95; }, "the limit 95 deg is outside 0 to 90 deg"},
      {[](CampaignSettings& s) { s.guidance = GuidanceMode::Omniscient; },
       "a limit and the omniscient guidance exclude each other: give one"},
      {[](CampaignSettings& s) { s.minRemainingPropellant_kg = -1; },
       "the propellant a success keeps -1 kg is outside 0 to 1000000000 kg"},
      {[](CampaignSettings& s) { s.probability = 1; },
       "the probability 1 is outside 0 to 1, 0 and 1 excluded"},
      {[](CampaignSettings& s) { s.confidence = 0; },
       "the confidence 0 is outside 0 to 1, 0 and 1 excluded"},
      {[](CampaignSettings& s) { s.search.targetAltitude_m = 500; },
       "the target altitude 0.5 km is outside 1 to 100000 km"},
  };
  for (const auto& c : cases) {
    CampaignSettings settings;
    settings.endRun = 10;
    settings.turnTime_s = 18;
    settings.limit_deg = 24;
    c.change(settings);
    EXPECT_EQ(settingsProblem(settings).problem, c.problem);
  }
}

TEST(CampaignSchema, RowsHaveTheirKeysColumnsAndTheSummaryItsNumbers) {
  const CampaignRowSchema schema(std::vector<Dispersion>{{"upper.mass_kg"}, {"core.thrust_N"}});
  std::vector<std::string_view> names;
  for (const auto& field : schema.fields()) names.push_back(field.info.name);
  ASSERT_EQ(names.size(), 1 + 2 + 3 + campaignOutputCount + 3);
  EXPECT_EQ(names[1], "upper.mass_kg");
  EXPECT_EQ(schema.fields()[2].info.unit, "N");
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    EXPECT_EQ(names[6 + k], campaignOutputName(static_cast<CampaignOutput>(k)));
  }
  CampaignRow row;
  row.values = {300, 9e6};
  EXPECT_EQ(schema.fields()[2].get(row), Value(9e6));

  CampaignManifest manifest;
  manifest.seed = 7;
  manifest.firstRun = 5;
  manifest.endRun = 25;
  manifest.turnTime_s = 18;
  manifest.guidance = GuidanceMode::Omniscient;
  CampaignSummary summary;
  summary.runs = 20;
  summary.outputs[0].percentiles[6] = 3;
  const Value value = campaignSummaryValue(summary, manifest);
  const Value& campaign = value["campaign"];
  EXPECT_EQ(campaign["seed"], Value(7u));
  EXPECT_EQ(campaign["first_run"], Value(5u));
  EXPECT_EQ(campaign["end_run"], Value(25u));
  EXPECT_EQ(campaign["guidance"], Value("omniscient"));
  EXPECT_TRUE(campaign["limit_deg"].isNull());
  EXPECT_EQ(value["outputs"]["perigee_m"]["percentiles"]["99.9"], Value(3.0));
  EXPECT_EQ(value["runs"], Value(20u));
}

}  // namespace
}  // namespace ascent

// The sensitivity study as a whole: its indices depend on the design alone
// (not on the threads or the shards that flew it), and under a guidance that
// knows every draw, where SC_M is nearly linear in small dispersions, each
// first-order index is the share of the variance the trade's ratio predicts.
#include "ascent/sensitivity.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ascent/trade.h"

namespace ascent {
namespace {

ThrustHistory shippedHistory() {
  return ThrustHistory::fromFile(std::string(ASCENT_SHIPPED_DATA_DIR) + "/s1.dat");
}

// Three keys of one sigma each (absolute, or relative in percent); the
// first two correlated when `correlated`.
DispersionFile threeKeys(bool correlated) {
  DispersionFile file;
  file.dispersions = {
      {"upper.exhaust_velocity_mps", Distribution::Normal, 0.5, 0, 0, true},
      {"core.thrust_N", Distribution::Normal, 0.5, 0, 0, true},
      {"upper.mass_kg", Distribution::Normal, 300, 0, 0, false},
  };
  if (correlated) file.correlations = {{0, 1, 0.5}};
  return file;
}

struct Rows : CampaignObserver {
  void row(const CampaignRow& row) override { rows.push_back(row); }
  std::vector<CampaignRow> rows;
};

SensitivitySettings design(std::uint64_t rows, GuidanceMode guidance) {
  SensitivitySettings settings;
  settings.rows = rows;
  settings.campaign.seed = 5;
  settings.campaign.turnTime_s = 18;
  settings.campaign.guidance = guidance;
  if (guidance == GuidanceMode::Fixed) settings.campaign.limit_deg = 24.06;
  return settings;
}

TEST(SensitivityStudy, TheIndicesAreTheDesignsWhateverThreadsOrShardsFlyIt) {
  const ThrustHistory history = shippedHistory();
  const Vehicle vehicle = Vehicle::defaults();
  const DispersionFile file = threeKeys(true);
  const CampaignInputs inputs{{history, vehicle, ""}, file};
  const CampaignRowSchema schema = sensitivityRowSchema(file.dispersions);
  const SensitivitySettings whole = design(16, GuidanceMode::Fixed);

  Rows one, shards;
  const SensitivityResult serial = runSensitivity(inputs, whole, 1, one);
  ASSERT_TRUE(serial.complete);
  ASSERT_EQ(serial.factors.size(), 2u);  // the correlated keys are one factor
  EXPECT_TRUE(serial.factors[0].group());
  Rows two;
  EXPECT_TRUE(sensitivityValue(runSensitivity(inputs, whole, 2, two)) == sensitivityValue(serial));
  SensitivityColumns columns;
  for (std::uint64_t shard = 1; shard <= 3; ++shard) {
    SensitivitySettings part = whole;
    part.shard = shard;
    part.shards = 3;
    EXPECT_FALSE(runSensitivity(inputs, part, 2, shards).complete);
  }
  ASSERT_EQ(shards.rows.size(), one.rows.size());
  for (std::size_t r = 0; r < one.rows.size(); ++r) {
    EXPECT_TRUE(toValue(schema.fields(), shards.rows[r]) == toValue(schema.fields(), one.rows[r]));
    EXPECT_TRUE(toValue(schema.fields(), two.rows[r]) == toValue(schema.fields(), one.rows[r]));
    columns.add(shards.rows[r], whole.campaign.minRemainingPropellant_kg);
  }
  SensitivityResult merged = serial;
  estimateIndices(merged, columns, whole.campaign.seed);
  EXPECT_TRUE(sensitivityValue(merged) == sensitivityValue(serial));
}

// S1_i = (dSC_M/dx_i sigma_i)^2 / Var(SC_M) for an output linear in
// independent factors; the trade gives the derivative with the targeting
// redone for each changed vehicle, as the omniscient guidance does.
TEST(SensitivityStudy, OmniscientFirstOrderIndicesAreTheTradesLinearShares) {
  const ThrustHistory history = shippedHistory();
  const Vehicle vehicle = Vehicle::defaults();
  const DispersionFile file = threeKeys(false);
  const CampaignInputs inputs{{history, vehicle, ""}, file};
  Rows rows;
  const SensitivityResult result =
      runSensitivity(inputs, design(512, GuidanceMode::Omniscient), 2, rows);
  ASSERT_TRUE(result.complete);

  TradeSettings trade;
  trade.turnTime_s = 18;
  for (const Dispersion& d : file.dispersions) trade.keys.push_back(d.key);
  const TradeResult ratios = runTrade(inputs.flight, trade, 2);

  // Var(SC_M) over the rows of A and B, as the estimator takes it.
  double sum = 0, squares = 0, n = 0;
  for (const CampaignRow& row : rows.rows) {
    if (!row.design || row.design->matrix.rfind("AB", 0) == 0) continue;
    const double m = row.outputs[static_cast<std::size_t>(CampaignOutput::SpacecraftMass)];
    sum += m;
    squares += m * m;
    n += 1;
  }
  const double variance = squares / n - (sum / n) * (sum / n);
  double firstOrderSum = 0;
  for (const SobolEstimate& e : result.indices) {
    if (e.output != "SC_M_kg") continue;
    ASSERT_TRUE(e.first.has_value());
    firstOrderSum += *e.first;
    const Dispersion& d = file.dispersions[result.factors[e.factor].keys.front()];
    const TradeRow* row = nullptr;
    for (const TradeRow& r : ratios.rows) row = r.key == d.key ? &r : row;
    ASSERT_NE(row, nullptr);
    const double sigma = d.relative ? row->value * d.sigma / 100 : d.sigma;
    const double predicted = (row->ratio * sigma) * (row->ratio * sigma) / variance;
    EXPECT_GE(predicted, *e.firstLow - 0.02) << d.key;
    EXPECT_LE(predicted, *e.firstHigh + 0.02) << d.key;
  }
  EXPECT_NEAR(firstOrderSum, 1, 0.1);
}

}  // namespace
}  // namespace ascent

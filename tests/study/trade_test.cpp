// The trades on the shipped thrust history: the exchange ratios of the
// re-sizing laws against their derivatives worked out by hand, and the
// optimum turn time against a sweep of every whole second.
#include "ascent/trade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "ascent/sweep.h"
#include "ascent/target.h"
#include "study/targeting.h"

namespace ascent {
namespace {

ThrustHistory shippedHistory() {
  return ThrustHistory::fromFile(std::string(ASCENT_SHIPPED_DATA_DIR) + "/s1.dat");
}

// The re-sizing laws do not change the flight: the peak force F and the
// propellant left stay, and SC_M = S3_Mt - Mi - rcs - Mup - Mus - total - dry
// with the stage S = S3_Mt - Mi, Mi = k F, rcs = r S, Mup = p c S^e,
// Mus = u Mup^g, total = (1 + q) used and dry = d total^h + base.
TEST(Trade, RatiosOfTheResizingLawsAreTheirDerivativesByHand) {
  const ThrustHistory history = shippedHistory();
  const Vehicle& v = Vehicle::defaults();
  const Resizing& law = v.resizing;
  TradeSettings settings;
  settings.turnTime_s = 50;
  const TargetRun base = targetTurnTime(history, v, 50, settings.optimize.search);
  ASSERT_EQ(base.verdict, Verdict::Converged);
  const MissionResult& m = *base.answer();
  const double F = m.maxForce_N;
  const double S = law.S3_Mt_kg - F * law.interstage_per_newton;
  const double Mup = law.ullage_propellant_per_newton * law.ullage_thrust_factor *
                     std::pow(S, law.ullage_thrust_exponent);
  const double Mus = law.ullage_case_factor * std::pow(Mup, law.ullage_case_exponent);
  // dSC/dS: the stage mass carries the RCS propellant and, through the
  // ullage thrust, the ullage propellant and its cases.
  const double perStage = 1 - law.rcs_fraction -
                          law.ullage_thrust_exponent * (Mup + law.ullage_case_exponent * Mus) / S;
  const double used =
      v.upper.startup_propellant_kg + v.upper.mainstage_propellant_kg - m.remainingPropellant_kg;
  const double total = (1 + law.reserve_fraction) * used;
  const double dryPerTotal =
      law.dry_mass_exponent * law.dry_mass_factor * std::pow(total, law.dry_mass_exponent - 1);
  const struct {
    const char* key;
    double expected;
  } cases[] = {
      {"resizing.S3_Mt_kg", perStage},
      {"resizing.interstage_per_newton", -F * perStage},
      {"resizing.reserve_fraction", -used * (1 + dryPerTotal)},
      {"resizing.dry_mass_base_kg", -1},
      {"resizing.dry_mass_factor", -std::pow(total, law.dry_mass_exponent)},
  };
  for (const auto& c : cases) settings.keys.push_back(c.key);
  const TradeResult result = runTrade(StudyInputs{history, v, ""}, settings, 2);
  ASSERT_TRUE(result.baseFeasible);
  ASSERT_EQ(result.rows.size(), std::size(cases));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto row = std::find_if(result.rows.begin(), result.rows.end(),
                                  [&](const TradeRow& r) { return r.key == c.key; });
    ASSERT_NE(row, result.rows.end());
    EXPECT_EQ(row->status, TradeStatus::Ok);
    EXPECT_NEAR(row->ratio, c.expected, 1e-6 * std::fabs(c.expected));
    EXPECT_LT(row->error, 1e-6 * std::fabs(c.expected));
    const double value = findVehicleKey(c.key)->get(v);
    EXPECT_NEAR(row->effect_kg, c.expected * value / 100, 1e-5 * std::fabs(c.expected * value));
  }
}

// What a key cannot be traded alone for: the stack and the carried mass move
// with the stage, the booster scales take the propellant they burn, the
// re-sizing's keys leave the flight alone, and a ratio built on a flight
// short of propellant is flagged. 1 % less booster exhaust velocity burns
// 1/0.99 of what each booster burned, P - r of its P loaded, r left.
TEST(Trade, KeysMoveWhatFollowsAndRatiosShortOfPropellantAreFlagged) {
  const ThrustHistory history = shippedHistory();
  const Vehicle& v = Vehicle::defaults();
  const double P = v.boosters.propellant_kg;
  const double r = targetTurnTime(history, v, 50, SearchSettings{}).answer()->boosterResidual_kg;
  const struct {
    const char* key;
    TradeStatus status;
    bool changesFlight;
    std::vector<std::string> moved;
    double short_kg;  // negative: not checked
  } cases[] = {
      {"upper.mass_kg",
       TradeStatus::ShortOfPropellant,
       true,
       {"loads.carried_mass_kg", "resizing.S3_Mt_kg"},
       -1},
      {"core.las_mass_kg", TradeStatus::Ok, true, {"loads.carried_mass_kg"}, 0},
      {"boosters.time_scale", TradeStatus::Ok, true, {"boosters.propellant_kg"}, 0},
      {"boosters.exhaust_velocity_mps",
       TradeStatus::ShortOfPropellant,
       true,
       {},
       (P - r) / 0.99 - P},
      {"resizing.dry_mass_base_kg", TradeStatus::Ok, false, {}, 0},
      {"upper.mainstage_propellant_kg", TradeStatus::NoEffect, true, {}, -1},
      {"loads.carried_mass_kg", TradeStatus::Invalid, true, {}, -1},
  };
  TradeSettings settings;
  settings.turnTime_s = 50;
  for (const auto& c : cases) settings.keys.push_back(c.key);
  const TradeResult result = runTrade(StudyInputs{history, v, ""}, settings, 2);
  ASSERT_TRUE(result.baseFeasible);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const auto row = std::find_if(result.rows.begin(), result.rows.end(),
                                  [&](const TradeRow& t) { return t.key == c.key; });
    ASSERT_NE(row, result.rows.end());
    EXPECT_EQ(row->status, c.status) << row->reason;
    EXPECT_EQ(row->changesFlight, c.changesFlight);
    EXPECT_EQ(row->movedWith, c.moved);
    if (c.short_kg >= 0) {
      EXPECT_NEAR(row->shortOfPropellant_kg, c.short_kg, 0.01);
    }
  }
  // Ratios short of propellant are never ranked among the gains.
  EXPECT_EQ(result.rows.front().key, "boosters.time_scale");
}

// The optimum comes within 1 kg of the best of a 1 s sweep over the same
// range with at most a fifth of its missions. A sweep's row depends only on
// its turn time, so one sweep of 5 ... 120 s gives the rows of both ranges.
TEST(Trade, OptimumMatchesTheBestOfASweepOfEverySecondWithAFifthOfItsMissions) {
  const ThrustHistory history = shippedHistory();
  std::vector<double> turnTimes;
  for (double t = 5; t <= 120; t += 1) turnTimes.push_back(t);
  std::vector<SweepRow> allRows;
  sweepTurnTimes(history, Vehicle::defaults(), turnTimes, SearchSettings{}, 2,
                 [&](const SweepRow& row) { allRows.push_back(row); });
  ASSERT_EQ(allRows.size(), turnTimes.size());
  const struct { double from_s, to_s; } ranges[] = {{5, 120}, {10, 100}};
  for (const auto& range : ranges) {
    SCOPED_TRACE(range.from_s);
    std::vector<SweepRow> rows;
    std::size_t sweepMissions = 0;
    for (const SweepRow& row : allRows) {
      if (row.turnTime_s < range.from_s || row.turnTime_s > range.to_s) continue;
      rows.push_back(row);
      sweepMissions += row.missions;
    }
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(range.to_s - range.from_s + 1));
    SweepResult tally;
    for (const SweepRow& row : rows) tally.add(row);
    ASSERT_TRUE(tally.found);

    OptimizeSettings settings;
    settings.from_s = range.from_s;
    settings.to_s = range.to_s;
    const OptimizeResult optimum =
        runOptimize(StudyInputs{history, Vehicle::defaults(), ""}, settings, 2);
    ASSERT_TRUE(optimum.found());
    EXPECT_GE(optimum.optimum().mission.sizing.SC_M_kg, tally.best.mission.sizing.SC_M_kg - 1);
    EXPECT_LE(optimum.missions * 5, sweepMissions);
    EXPECT_LE(optimum.flatFrom_s, optimum.optimum().turnTime_s);
    EXPECT_GE(optimum.flatTo_s, optimum.optimum().turnTime_s);
    EXPECT_FALSE(optimum.atRangeEdge);
  }
}

}  // namespace
}  // namespace ascent

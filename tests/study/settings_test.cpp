// The settings of the design studies against their domains, as both doors
// get them refused, and the sweep's, performance's and trade's rows as their
// CSV writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ascent/performance.h"
#include "ascent/sweep.h"
#include "ascent/target.h"
#include "ascent/trade.h"
#include "ascent/writers.h"

namespace ascent {
namespace {

TEST(DesignSettings, AValueOutsideItsDomainIsRefusedInOneWording) {
  auto sweepWith = [](auto change) {
    SweepSettings s{{18}, {}, {}};
    change(s);
    return settingsProblem(s).problem;
  };
  auto optimizeWith = [](auto change) {
    OptimizeSettings s;
    change(s);
    return settingsProblem(s).problem;
  };
  auto performanceWith = [](auto change) {
    PerformanceSettings s{{200e3}, {}};
    change(s);
    return settingsProblem(s).problem;
  };
  auto tradeWith = [](auto change) {
    TradeSettings s;
    change(s);
    return settingsProblem(s).problem;
  };
  const struct {
    std::string problem, expected;
  } cases[] = {
      {sweepWith([](SweepSettings&) {}), ""},
      {sweepWith([](SweepSettings& s) { s.turnTimes.push_back(0.5); }),
       "the turn time 0.5 s is outside 1 to 10000 s"},
      {sweepWith([](SweepSettings& s) { s.turnTimes.clear(); }), "there is no turn time to fly"},
      {sweepWith([](SweepSettings& s) { s.search.targetAltitude_m = 500; }),
       "the target altitude 0.5 km is outside 1 to 100000 km"},
      {sweepWith([](SweepSettings& s) {
         s.shard = {2, 1};
       }),
       "'2/1' is not I/N with 1 <= I <= N <= 1000000"},
      {sweepWith([](SweepSettings& s) { s.search.dynamicPressureLimit_Pa = 0; }),
       "the dynamic-pressure limit 0 Pa is outside 0 to 1000000000 Pa, 0 excluded"},
      {sweepWith([](SweepSettings& s) { s.search.dynamicPressureLimit_Pa = -HUGE_VAL; }),
       "the dynamic-pressure limit -inf Pa is outside 0 to 1000000000 Pa, 0 excluded"},
      {optimizeWith([](OptimizeSettings&) {}), ""},
      {optimizeWith([](OptimizeSettings& s) { s.from_s = 80, s.to_s = 30; }),
       "the first turn time 80 s is after the last 30 s"},
      {optimizeWith([](OptimizeSettings& s) { s.to_s = 10001; }),
       "the last turn time 10001 s is outside 1 to 10000 s"},
      {optimizeWith([](OptimizeSettings& s) { s.scanPoints = 2; }),
       "the number of scan points 2 is outside 3 to 10000"},
      {optimizeWith([](OptimizeSettings& s) { s.turnTimeTolerance_s = 0; }),
       "the turn-time tolerance 0 s is outside 0 to 10000 s, 0 excluded"},
      {performanceWith([](PerformanceSettings&) {}), ""},
      {performanceWith([](PerformanceSettings& s) { s.altitudes_m.clear(); }),
       "there is no altitude to fly"},
      {performanceWith([](PerformanceSettings& s) { s.altitudes_m.push_back(500); }),
       "the target altitude 0.5 km is outside 1 to 100000 km"},
      {performanceWith([](PerformanceSettings& s) { s.optimize.scanPoints = 2; }),
       "the number of scan points 2 is outside 3 to 10000"},
      {tradeWith([](TradeSettings& s) { s.relativeStep = 0.3; }),
       "the relative step 0.3 is outside 0 to 0.25, 0 excluded"},
      {tradeWith([](TradeSettings& s) { s.turnTime_s = 0.5; }),
       "the turn time 0.5 s is outside 1 to 10000 s"},
      // Re-optimized, the turn time held does not matter but the range does.
      {tradeWith([](TradeSettings& s) { s.reoptimize = true, s.optimize.from_s = 200; }),
       "the first turn time 200 s is after the last 120 s"},
      {tradeWith([](TradeSettings& s) {
         s.keys = {"core.thrust_N", "core.thrust_N"};
       }),
       "the key 'core.thrust_N' is given twice"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.problem, c.expected);
  EXPECT_EQ(jobsProblem(0).problem, "");  // not given: the machine's cores
  EXPECT_EQ(jobsProblem(1025).problem, "the number of threads 1025 is outside 1 to 1024");

  // The studies refuse such settings before they fly a mission, naming the
  // setting refused.
  const ThrustHistory none = ThrustHistory::fromRecords({{0, 0}}, "none");
  const StudyInputs inputs{none, Vehicle::defaults(), ""};
  auto settingOf = [](const std::function<void()>& run) {
    try {
      run();
    } catch (const InputError& refused) {
      return refused.setting();
    }
    return std::string("(accepted)");
  };
  OptimizeSettings late;
  late.from_s = 200;
  EXPECT_EQ(settingOf([&] { runOptimize(inputs, late, 1); }), "from_s");
  EXPECT_EQ(settingOf([&] { runOptimize(inputs, {}, 2000); }), "jobs");
  TradeSettings unknown;
  unknown.keys = {"core.thrust"};
  EXPECT_EQ(settingOf([&] { runTrade(inputs, unknown, 1); }), "keys");
  struct NoRows : SweepObserver {
    void row(const SweepRow&) override {}
  } noRows;
  EXPECT_EQ(settingOf([&] {
              runSweep(inputs, SweepSettings{{0.5}, {}, {}}, 1, noRows);
            }),
            "turn_times");
  SearchSettings low;
  low.targetAltitude_m = 500;
  EXPECT_EQ(settingOf([&] { runTarget(inputs, TargetSettings{18, low}); }), "target_altitude_m");
}

TEST(DesignRows, TheCsvHasOneColumnPerFieldAndEmptyCellsWhereThereIsNoNumber) {
  EXPECT_EQ(csvHeader(sweepSchema()),
            "turn_time_s,limit_deg,verdict,missions,perigee_m,apogee_m,average_altitude_m,"
            "remaining_propellant_kg,SC_M_kg,max_dynamic_pressure_Pa,max_acceleration_mps2,"
            "max_force_N\n");
  SweepRow unreachable;
  unreachable.turnTime_s = 18.5;
  unreachable.verdict = Verdict::Unreachable;
  unreachable.missions = 7;
  EXPECT_EQ(csvLine(sweepSchema(), unreachable), "18.5,,unreachable,7,,,,,,,,\n");

  EXPECT_EQ(csvHeader(performanceRowSchema()),
            "target_altitude_m,turn_time_s,limit_deg,SC_M_kg,remaining_propellant_kg,perigee_m,"
            "apogee_m,missions,verdict,at_range_edge\n");
  PerformanceRow beyond;
  beyond.altitude_m = 250e3;
  beyond.missions = 104;
  beyond.design = unreachable;
  EXPECT_EQ(csvLine(performanceRowSchema(), beyond), "250000,,,,,,,104,unreachable,false\n");

  TradeRow invalid;
  invalid.key = "boosters.count";
  invalid.unit = "-";
  invalid.value = 2;
  invalid.step = 0.02;
  invalid.status = TradeStatus::Invalid;
  invalid.reason = "one step lower: boosters.count = 1.98, not a whole number";
  EXPECT_EQ(csvLine(tradeRowSchema(), invalid),
            "boosters.count,-,2,0.02,invalid,true,,,kg,,,,,,"
            "\"one step lower: boosters.count = 1.98, not a whole number\"\n");
}

}  // namespace
}  // namespace ascent

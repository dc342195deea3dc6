// The settings of the design studies against their domains, as both doors
// get them refused.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "ascent/performance.h"
#include "ascent/sensitivity.h"
#include "ascent/sweep.h"
#include "ascent/target.h"
#include "ascent/trade.h"

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
  auto sensitivityWith = [](auto change) {
    SensitivitySettings s;
    s.rows = 64;
    s.campaign.turnTime_s = 18;
    s.campaign.endRun = 1;
    change(s);
    return settingsProblem(s).problem;
  };
  const struct {
    std::string problem, expected;
  } cases[] = {
      {sensitivityWith([](SensitivitySettings&) {}), ""},
      {sensitivityWith([](SensitivitySettings& s) { s.rows = 1; }),
       "the design's rows 1 are outside 2 to 2147483648"},
      {sensitivityWith([](SensitivitySettings& s) { s.shard = 3, s.shards = 2; }),
       "shard 3 of 2 is not one of 1 to its count (at most 1048576)"},
      {sensitivityWith([](SensitivitySettings& s) { s.campaign.known = knowsVehicle; }),
       "the fixed guidance knows no draw: what it knows is chosen only for before_launch and "
       "in_flight"},
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

}  // namespace
}  // namespace ascent

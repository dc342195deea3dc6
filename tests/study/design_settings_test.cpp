// The settings of sweep, optimize and trade as both front ends read them:
// the turn-time range, shards, the domains of the numbers, the list of keys;
// and the sweep's and trade's rows as their CSV writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "ascent/design_schema.h"
#include "ascent/performance.h"
#include "files/csv.h"

namespace ascent {
namespace {

std::string problemOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const std::invalid_argument& problem) {
    return problem.what();
  }
  return {};
}

TEST(TurnTimeRange, IsGeneratedFromItsStartNotAccumulated) {
  const struct {
    const char* text;
    std::vector<double> expected;
  } ranges[] = {
      {"5:8:1", {5, 6, 7, 8}},
      {"5:5:1", {5}},
      {"5:6:0.1",
       {5, 5.1, 5 + 2 * 0.1, 5 + 3 * 0.1, 5 + 4 * 0.1, 5.5, 5 + 6 * 0.1, 5 + 7 * 0.1, 5 + 8 * 0.1,
        5 + 9 * 0.1, 6}},
      {"1:2.5:0.7", {1, 1.7, 1 + 2 * 0.7}},
      {"1e1:12:1", {10, 11, 12}},
  };
  for (const auto& range : ranges)
    EXPECT_EQ(turnTimeRange(range.text), range.expected) << range.text;
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"5:4:1", "needs STEP > 0 and FROM <= TO"},
      {"5:8:0", "needs STEP > 0"},
      {"5:8", "FROM:TO:STEP, three numbers"},
      {"a:8:1", "three numbers"},
      {"5:8:1:2", "three numbers"},
      {"nan:8:1", "three numbers"},
      {"0.5:2:1", "must lie from 1 to 10000 s"},
      {"1:10000:0.001", "more than 1000000 turn times"},
      {"1000:1000.000000000001:1e-14", "repeats turn times"},
  };
  for (const auto& b : bad) {
    EXPECT_NE(problemOf([&] { turnTimeRange(b.text); }).find(b.problem), std::string::npos)
        << b.text;
  }
}

// Kilometres as typed, metres with no trace of the conversion.
TEST(AltitudeRange, IsInMetresWithTheDecimalsTyped) {
  EXPECT_EQ(altitudeRange("150:160:5"), (std::vector<double>{150e3, 155e3, 160e3}));
  EXPECT_EQ(altitudeRange("150.1:150.3:0.1"), (std::vector<double>{150100, 150200, 150300}));
  EXPECT_EQ(altitudeRange("200.0005:200.0005:1"), (std::vector<double>{200000.5}));
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"150:225", "the altitudes must be FROM:TO:STEP, three numbers (km)"},
      {"225:150:5", "the altitude range needs STEP > 0 and FROM <= TO"},
      {"0.5:2:1", "the altitudes must lie from 1 to 100000 km"},
      {"1:100000:0.001", "the altitude range holds more than 10000 altitudes"},
  };
  for (const auto& b : bad) EXPECT_EQ(problemOf([&] { altitudeRange(b.text); }), b.problem);
}

TEST(Shards, EveryTurnTimeIsInExactlyOneShard) {
  const std::vector<double> all = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(shardSelection(all, parseShard("2/3")), (std::vector<double>{2, 5}));
  EXPECT_EQ(shardSelection(all, parseShard("1/1")), all);
  EXPECT_EQ(shardSelection(all, parseShard("9/9")), std::vector<double>{});
  for (const char* bad : {"4/3", "0/3", "1/+2", "1/0", "3", "a/b", "5/18446744073709551615",
                          "1/1000001", "/3", "1/"}) {
    EXPECT_EQ(problemOf([&] { parseShard(bad); }),
              "'" + std::string(bad) + "' is not I/N with 1 <= I <= N <= 1000000");
  }
  EXPECT_EQ(shardProblem({3, 2}), "'3/2' is not I/N with 1 <= I <= N <= 1000000");
}

TEST(DesignSettings, AValueOutsideItsDomainIsRefusedInOneWording) {
  auto sweepWith = [](auto change) {
    SweepSettings s{{18}, {}, 0, {}};
    change(s);
    return settingsProblem(s);
  };
  auto optimizeWith = [](auto change) {
    OptimizeSettings s;
    change(s);
    return settingsProblem(s);
  };
  auto performanceWith = [](auto change) {
    PerformanceSettings s{{200e3}, {}};
    change(s);
    return settingsProblem(s);
  };
  auto tradeWith = [](auto change) {
    TradeSettings s;
    change(s);
    return settingsProblem(s);
  };
  const struct {
    std::string problem, expected;
  } cases[] = {
      {sweepWith([](SweepSettings&) {}), ""},
      {sweepWith([](SweepSettings& s) { s.turnTimes.push_back(0.5); }),
       "the turn time 0.5 s is outside 1 to 10000 s"},
      {sweepWith([](SweepSettings& s) { s.turnTimes.clear(); }), "there is no turn time to fly"},
      {sweepWith([](SweepSettings& s) { s.jobs = 1025; }),
       "the number of threads 1025 is outside 1 to 1024"},
      {sweepWith([](SweepSettings& s) { s.search.altitude_m = 500; }),
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
  EXPECT_EQ(jobsProblem(0), "");  // not given: the machine's cores

  // The studies refuse such settings before they fly a mission.
  const ThrustHistory none = ThrustHistory::fromRecords({{0, 0}}, "none");
  OptimizeSettings late;
  late.from_s = 200;
  EXPECT_THROW(optimizeTurnTime(none, Vehicle::defaults(), late, 1), std::invalid_argument);
  EXPECT_THROW(optimizeTurnTime(none, Vehicle::defaults(), {}, 2000), std::invalid_argument);
  TradeSettings unknown;
  unknown.keys = {"core.thrust"};
  EXPECT_THROW(tradeRatios(none, Vehicle::defaults(), unknown, 1), std::invalid_argument);
  const SweepSettings early{{0.5}, {}, 0, {}};
  EXPECT_THROW(sweep(none, Vehicle::defaults(), early, [](const SweepRow&) {}),
               std::invalid_argument);
}

TEST(TradeKeys, AListNamesEachKnownKeyOnce) {
  EXPECT_EQ(parseTradeKeys("core.thrust_N,boosters.count"),
            (std::vector<std::string>{"core.thrust_N", "boosters.count"}));
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"", "the list of keys is empty: name at least one key"},
      {"core.thrust", "'core.thrust' is not a vehicle key (did you mean 'core.thrust_N'?)"},
      {"core.thrust_N,", "'' is not a vehicle key"},
      {"core.thrust_N,core.thrust_N", "the key 'core.thrust_N' is given twice"},
      // Every unknown name is reported before a repeat.
      {"core.thrust_N,core.thrust_N,zzz", "'zzz' is not a vehicle key"},
  };
  for (const auto& b : bad) EXPECT_EQ(problemOf([&] { parseTradeKeys(b.text); }), b.problem);
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
            "boosters.count,-,2,0.02,invalid,,kg,,,,,"
            "\"one step lower: boosters.count = 1.98, not a whole number\"\n");
}

}  // namespace
}  // namespace ascent

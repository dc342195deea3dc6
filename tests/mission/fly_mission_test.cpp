// The public API: missions flown from a parsed thrust history, their faults
// as outcomes or thrown, and the run's record carried from one mission to the
// next.
#include <gtest/gtest.h>

#include <cfenv>
#include <string>

#include "ascent/ascent.h"
#include "mission/mission_test_support.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::thrustCurve;
using testing::thrustFile;

const std::string ownCurve = thrustFile(thrustCurve());

ThrustHistory historyOf(const std::vector<testing::ThrustRecord>& records) {
  return ThrustHistory::fromText(thrustFile(records));
}

TEST(FlyMission, UnreadableRecordIsAFaultOnlyForAMissionThatNeedsIt) {
  // thrustCurve() has 162 records to 160 s; separation at 130.2 s needs 133.
  struct Case {
    std::size_t badRecord;  // from 1
    Outcome outcome;
  };
  for (const Case c : {Case{60, Outcome::Failed}, Case{140, Outcome::Orbit}}) {
    SCOPED_TRACE(c.badRecord);
    auto lines = testing::splitLines(ownCurve);
    lines[c.badRecord - 1] = "12..5 20000000";
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    const ThrustHistory history = ThrustHistory::fromText(text);
    EXPECT_EQ(history.records().size(), c.badRecord - 1);
    const std::string reason =
        "s1.dat record " + std::to_string(c.badRecord) + ": time is not a number: \"12..5\"";
    EXPECT_EQ(history.faultCode(), 106);
    EXPECT_EQ(history.faultReason(), reason);

    RunRecord run;
    const MissionResult result = flyMission(history, 10, 3, run);
    EXPECT_EQ(result.outcome, c.outcome);
    if (c.outcome == Outcome::Failed) {
      EXPECT_EQ(result.failureCode, 106);
      EXPECT_EQ(result.failureReason, reason);
      EXPECT_EQ(run.recommendedLimit_rad, 0.0);
      try {
        flyMission(history, 10, 3, run, nullptr, FlyOptions{.throwFailures = true});
        ADD_FAILURE() << "no Error thrown";
      } catch (const Error& error) {
        EXPECT_EQ(error.code(), 106);
        EXPECT_EQ(std::string(error.what()), reason);
      }
    }
  }
}

TEST(FlyMission, RecordsThatCannotBeFlownNameTheirRecordOrTheTurnTime) {
  auto backwards = thrustCurve();
  backwards[19].time = backwards[18].time - 0.5;  // record 20 before record 19
  auto short30 = thrustCurve();
  short30.resize(30);
  const struct {
    std::vector<testing::ThrustRecord> records;
    double turnTime;
    std::string reason;
  } cases[] = {
      {backwards, 10,
       "s1.dat record 20: time 18.249826450235 s is earlier than 18.749826450235 s of record "
       "19"},
      {short30, 40,
       "the turn time 40 s ends after the last record of s1.dat (record 30 at 29.60498913195 "
       "s)"},
  };
  for (const auto& c : cases) {
    RunRecord run;
    const MissionResult result = flyMission(historyOf(c.records), c.turnTime, 3, run);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.failureCode, 106);
    EXPECT_EQ(result.failureReason, c.reason);
  }
}

TEST(FlyMission, FloatingPointFaultIsAnOutcomeAndTheCallerGoesOn) {
  const ThrustHistory history = ThrustHistory::fromText(ownCurve);
  RunRecord run;
  std::feclearexcept(FE_ALL_EXCEPT);
  const MissionResult failed = flyMission(history, 10, 1e308, run);  // 1e308 * pi overflows
  EXPECT_EQ(failed.outcome, Outcome::Failed);
  EXPECT_TRUE(failed.failureCode == 205 || failed.failureCode == 207) << failed.failureCode;
  // The caller's floating-point flags are as they were.
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);
  EXPECT_EQ(flyMission(history, 10, 3, run).outcome, Outcome::Orbit);

  // The re-sizing laws fault too: no ullage thrust makes x^p at x = 0, where
  // the dialogue's trap stops the run with 200; flown as data, the mission fails alike.
  for (auto change : {+[](Vehicle& v) { v.resizing.ullage_thrust_factor = 0; },
                      +[](Vehicle& v) { v.resizing.ullage_propellant_per_newton = 1e-9; }}) {
    Vehicle vehicle = Vehicle::defaults();
    change(vehicle);
    RunRecord fresh;
    const MissionResult result = flyMission(history, vehicle, 10, 3, fresh);
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_EQ(result.failureCode, 200) << result.failureReason;
  }
}

TEST(FlyMission, RunRecordCarriesTheSecantAndThePeaksAcrossMissions) {
  const ThrustHistory history = ThrustHistory::fromText(ownCurve);
  RunRecord run;
  const MissionResult first = flyMission(history, 10, 3, run);
  const MissionResult second = flyMission(history, 10, 8, run);
  ASSERT_EQ(first.outcome, Outcome::Orbit);
  ASSERT_EQ(second.outcome, Outcome::Orbit);
  ASSERT_NE(first.averageAltitude_m, second.averageAltitude_m);
  // The secant through both (limit, average altitude) pairs reaches 200 km.
  const double l1 = first.limit_rad, l2 = second.limit_rad;
  const double a1 = first.averageAltitude_m, a2 = second.averageAltitude_m;
  EXPECT_DOUBLE_EQ(second.recommendedLimit_rad, l2 - (l2 - l1) * (a2 - 200000) / (a2 - a1));
  EXPECT_EQ(run.previousLimit_rad, l2);
  EXPECT_EQ(run.previousAverageAltitude_m, a2);

  // The same mission again reaches the same average: the recommendation stays.
  const RunRecord before = run;
  const MissionResult again = flyMission(history, 10, 8, run);
  EXPECT_EQ(again.averageAltitude_m, a2);
  EXPECT_EQ(again.recommendedLimit_rad, second.recommendedLimit_rad);
  EXPECT_EQ(run.previousLimit_rad, before.previousLimit_rad);

  // Run peaks are the larger of the missions' own.
  for (auto peak : {&Peaks::maxQ_Pa, &Peaks::maxAccel_mps2}) {
    EXPECT_EQ(again.runPeaks.*peak, std::max(first.missionPeaks.*peak, second.missionPeaks.*peak));
  }
}

}  // namespace
}  // namespace ascent

// Timed stepping and the booster thrust file, on a vehicle coasting in vacuum:
// every step writes one row, so the row times show the steps taken.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mission/booster_motor.h"
#include "mission/flight_fixtures.h"
#include "mission/timed_stepping.h"
#include "report/in_memory_run.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

struct MissionTimedStepping : testing::CoastWithThrustFile<testing::InMemoryRun> {
  // The time increments of the rows written so far, from t = 0.
  std::vector<std::string> rowTimes() const {
    std::vector<std::string> times;
    for (const auto& line : splitLines(reportBytes)) times.push_back(line.substr(0, 7));
    return times;
  }
};

TEST_F(MissionTimedStepping, FlyForShortensOnlyTheLastStep) {
  EXPECT_EQ(flyFor(mission, 1, 2.5), 0.5);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   1.00", "   2.00", "   2.50"}));
  EXPECT_EQ(s.dt, 0.5);
  EXPECT_EQ(s.t, 2.5);
}

TEST_F(MissionTimedStepping, FlyForTakesOneStepWhenTheTimeEqualsTheStep) {
  flyFor(mission, 1, 1);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   1.00"}));
  EXPECT_EQ(s.dt, 1.0);
}

TEST_F(MissionTimedStepping, FlyForWithNoTimeLeftStillWritesOneZeroStep) {
  flyFor(mission, 1, 0);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   0.00"}));
  EXPECT_EQ(s.dt, 0.0);
  EXPECT_EQ(s.t, 0.0);
}

TEST_F(MissionTimedStepping, FlyToAltitudeAboveTheTargetStepsForwardAndBack) {
  const double timeLeft = flyToAltitude(mission, 0.25, 100000, 0.7);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   0.25", "   0.00"}));
  EXPECT_EQ(s.dt, -0.25);
  EXPECT_DOUBLE_EQ(timeLeft, 0.7);  // nothing advanced in the end
}

TEST_F(MissionTimedStepping, ThrustRecordsEndingOnARecordTimeLeaveNothingUnflown) {
  BoosterThrustReader& reader = openThrust("0.5 1000\n1.0 3000\n1.5 4000\n2.0 8000\n2.5 0\n");
  firstThrustRecord(mission, reader);
  EXPECT_EQ(s.dt, 0.5);
  EXPECT_EQ(s.thrustRate, 1000 * 2 / 0.5);  // both boosters ramp from zero
  flyFor(mission, s.dt, s.dt);              // to the first record
  EXPECT_EQ(flyThrustRecords(mission, reader, 1.5), 0.0);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   0.50", "   1.00", "   1.50", "   2.00"}));
  EXPECT_EQ(reader.currentTime, 2.0);
  EXPECT_EQ(s.dt, 0.0);
  EXPECT_EQ(s.thrustRate, (8000.0 - 4000.0) * 2 / 0.5);
  EXPECT_EQ(s.mdotRate, -s.thrustRate / Vehicle::defaults().boosters.exhaust_velocity_mps);
  // Trapezoids of one booster up to the current record, in kg.
  EXPECT_DOUBLE_EQ(reader.boosterPropellantUsed,
                   (250 + 1000 + 1750 + 3000) / Vehicle::defaults().boosters.exhaust_velocity_mps);
}

TEST_F(MissionTimedStepping, ThrustRecordsCutTheLastIntervalAtTheRequestedTime) {
  BoosterThrustReader& reader = openThrust("0.5 1000\n1.0 3000\n1.5 4000\n2.0 8000\n");
  firstThrustRecord(mission, reader);
  flyFor(mission, s.dt, s.dt);  // to the first record
  EXPECT_EQ(flyThrustRecords(mission, reader, 0.75), -0.25);
  EXPECT_EQ(rowTimes(), (std::vector<std::string>{"   0.50", "   1.00", "   1.25"}));
  EXPECT_EQ(reader.currentTime, 1.5);  // the interval that holds the end point
  EXPECT_EQ(s.dt, 0.25);
}

TEST_F(MissionTimedStepping, OnlyIncrementsAboveTheLimitWriteTheErrorLine) {
  // First record at 2 s (never compared), then increments of: the nominal
  // interval, exactly the limit, 1e-12 s above it, and 0.99 s.
  BoosterThrustReader& reader = openThrust(
      "2.0 0\n2.986832971065 0\n3.0 0\n3.986833971065 0\n4.0 0\n4.986833971066 0\n"
      "5.0 0\n5.99 0\n");
  firstThrustRecord(mission, reader);
  std::vector<int> warnings;
  for (int record = 2; record <= 8; ++record) {
    const std::size_t before = reportBytes.size();
    nextThrustRecord(mission, reader);
    if (reportBytes.size() != before) warnings.push_back(record);
  }
  EXPECT_EQ(warnings, (std::vector<int>{6, 8}));
  EXPECT_EQ(reportBytes,
            "Error! Booster time increments must be at most 0.986832971065 seconds\n"
            "Error! Booster time increments must be at most 0.986832971065 seconds\n");
  EXPECT_NEAR(s.dt, 0.99, 1e-12);  // the long increment is used as it is
}

}  // namespace
}  // namespace ascent

// The booster thrust file read record by record, on a vehicle coasting in
// vacuum.
#include "mission/booster_motor.h"

#include <gtest/gtest.h>

#include "mission/flight_fixtures.h"

namespace ascent {
namespace {

struct MissionTimedStepping : testing::CoastWithThrustFile<> {};

TEST_F(MissionTimedStepping, WordsAfterTheThrustAreIgnored) {
  BoosterThrustReader& reader =
      openThrust("0.5 1000 kN? no, N\n1.0\t3000 extra 4.0 5.0\n1.5 4000\n");
  firstThrustRecord(mission, reader);
  nextThrustRecord(mission, reader);
  EXPECT_EQ(reader.currentTime, 1.0);
  EXPECT_EQ(reader.currentThrust, 3000.0);
  nextThrustRecord(mission, reader);
  EXPECT_EQ(reader.currentTime, 1.5);
  EXPECT_EQ(reader.currentThrust, 4000.0);
}

}  // namespace
}  // namespace ascent

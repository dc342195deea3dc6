// The mission summary from a flight state set up by hand: the results, the
// re-sized upper stage and the secant recommendation across missions.
#include "mission/mission_summary.h"

#include <gtest/gtest.h>

#include "support/in_memory_run.h"

#include "physics/constants.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

constexpr double degree = pi / 180;

struct MissionSummary : testing::InMemoryRun {

  MissionSummary() {
    s.dataFiles = true;
    s.degreeChar = 176;
    s.plusMinusChar = 177;
    s.squaredChar = 178;
    s.turnTime = 12;
    s.alphaMax = 3.5 * degree;
    s.Me = 2345.6;
    s.perigee = 195000;
    s.apogee = 215000;
    s.deltaV = 9876.4;
    s.maxForce = 4321987.6;
    s.maxForceTime = 61.234;
    s.liftoffThrust = 30123456.7;
    s.liftoffAcceleration = 10.19;
    s.liftoffMass = 2955067.6;
    s.maxQ = 34567.89;
    s.maxQTime = 55.5;
    s.maxAccel = 38.7654;
    s.maxAccelTime = 129.87;
  }

  std::vector<std::string> summarise() {
    reportBytes.clear();
    missionSummary(run);
    return splitLines(reportBytes);
  }

  // Flies a summary for a limit and an average altitude; returns its last words.
  std::string recommendationFor(double alphaMaxDeg, double averageAltitude) {
    s.alphaMax = alphaMaxDeg * degree;
    s.perigee = averageAltitude - 1000;
    s.apogee = averageAltitude + 1000;
    const auto lines = summarise();
    return lines.at(lines.size() - 2);
  }
};

// Expected values worked out by hand from the sizing laws: S3_Mi = 4000 from
// the peak force, propellant used 148522 - 2345.6 = 146176.4 kg, reserve 2452.
TEST_F(MissionSummary, ResultsAndConstantsBlockOfTheFirstMission) {
  const std::vector<std::string> expected = {
      "",
      "Turn Time = 12.000 s, Maximum angle of attack =  3.5000\xb0",
      "Upper Stage in Orbit! Remaining propellant = 2346 kg.",
      "Perigee = 195.0 km, Apogee = 215.0 km, Average Altitude = 205.0\xb1"
      "10.0 km",
      "Vacuum and zero gravity delta-V = 9876 m/s",
      "Maximum force = 4321988 N at 61.23 s",
      "Liftoff thrust = 30123457 N at 10.19 m/s\xb2 for 2955068 kg",
      "Maximum dynamic pressure = 34568 N at 55.50 s",
      "Maximum acceleration = 38.77 m/s\xb2 at 129.87 s",
      "",
      "  S3_Mt    =  301222; {kg, interstage, third stage and payload mass}",
      "  S3_Mi    =    4000; {kg, interstage mass}",
      "  S3_Mp1   =     771; {kg, startup propellant mass}",
      "  S3_Mp2   =  145405; {kg, mainstage propellant mass used, 148628 kg total -",
      "                           771 kg startup - 2452 kg reserve}",
      "  S3_Ms    =   23459; {kg, cutoff mass, 121 kg RCS propellant + 20886 kg dry +",
      "                           2452 kg reserve}",
      "  S3_Mup   =     159; {kg, total ullage motor propellant}",
      "  S3_Mus   =     154; {kg, total ullage motor empty}",
      "  S3_Fu    =   89820; {N,  total ullage motor vacuum thrust}",
      "  SC_M     =  127274; {kg, Spacecraft mass}",
      "",
      // First mission of a run: the limit scaled by 200 / 205.
      "Recommended maxa =  3.4146\xb0",
      "",
  };
  const auto lines = summarise();
  ASSERT_EQ(lines.size(), expected.size()) << reportBytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
  }
  for (int line : {11, 12, 13, 14, 16, 18, 19, 20, 21}) {  // values end in column 20
    EXPECT_EQ(lines[line - 1].find(';'), 20u) << lines[line - 1];
  }
  EXPECT_EQ(s.averageAltitude, 205000.0);
  EXPECT_EQ(s.altitudeHalfRange, 10000.0);
  EXPECT_EQ(s.previousAverageAltitude, 205000.0);
  EXPECT_EQ(s.previousAlphaMax, 3.5 * degree);
  EXPECT_DOUBLE_EQ(s.recommendedAlphaMax, 3.5 * degree * 200 / 205);
}

TEST_F(MissionSummary, ReportOnTheScreenLeavesOutTheRunPeaksAndUsesConsoleCodes) {
  s.dataFiles = false;
  s.degreeChar = 248;
  s.plusMinusChar = 241;
  s.squaredChar = 253;
  const auto lines = summarise();
  ASSERT_EQ(lines.size(), 22u);
  EXPECT_EQ(lines[1].back(), '\xf8');
  EXPECT_NE(lines[3].find("205.0\xf1"
                          "10.0 km"),
            std::string::npos);
  EXPECT_EQ(lines[6], "Liftoff thrust = 30123457 N at 10.19 m/s\xfd for 2955068 kg");
  EXPECT_EQ(lines[7], "");
  EXPECT_EQ(lines[8], "  S3_Mt    =  301222; {kg, interstage, third stage and payload mass}");
  EXPECT_EQ(lines[20], "Recommended maxa =  3.4146\xf8");
}

TEST_F(MissionSummary, RecommendationIsTheSecantThroughTheLastUpdatingMission) {
  // 3 degrees reaching 190 km recommends 3 * 200 / 190.
  EXPECT_EQ(recommendationFor(3, 190000), "Recommended maxa =  3.1579\xb0");
  // The line through (3, 190 km) and (4, 210 km) reaches 200 km at 3.5.
  EXPECT_EQ(recommendationFor(4, 210000), "Recommended maxa =  3.5000\xb0");
  // The same average again: nothing to divide by, the stored pair stays.
  EXPECT_EQ(recommendationFor(5, 210000), "Recommended maxa =  3.5000\xb0");
  EXPECT_EQ(s.previousAlphaMax, 4 * degree);
  EXPECT_EQ(s.previousAverageAltitude, 210000.0);
  // Through (4, 210 km) and (6, 230 km), not (5, 210 km): back to 3.
  EXPECT_EQ(recommendationFor(6, 230000), "Recommended maxa =  3.0000\xb0");
  // Both above 200 km and rising with the limit: an extrapolation below both.
  EXPECT_EQ(recommendationFor(7, 250000), "Recommended maxa =  4.5000\xb0");
}

}  // namespace
}  // namespace ascent

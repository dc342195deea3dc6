// The summary's text of a mission whose results are set up by hand.
#include "report/summary_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mission/mission_summary.h"
#include "physics/constants.h"
#include "report/streams.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

constexpr double degree = pi / 180;

struct SummaryText : ::testing::Test {
  MissionResult r;
  RunRecord run;
  SummaryText() {
    r.outcome = Outcome::Orbit;
    r.turnTime_s = 12;
    r.limit_deg = 3.5;
    r.limit_rad = 3.5 * degree;
    r.remainingPropellant_kg = 2345.6;
    r.perigee_m = 195000;
    r.apogee_m = 215000;
    r.averageAltitude_m = 205000;
    r.altitudeHalfRange_m = 10000;
    r.deltaV_mps = 9876.4;
    r.maxForce_N = 4321987.6;
    r.maxForceTime_s = 61.234;
    r.liftoffThrust_N = 30123456.7;
    r.liftoffAcceleration_mps2 = 10.19;
    r.liftoffMass_kg = 2955067.6;
    r.runPeaks = {38.7654, 129.87, 34567.89, 55.5};
    r.sizing = sizeUpperStage(Vehicle::defaults(), r.maxForce_N, r.remainingPropellant_kg);
    updateRecommendation(run, r.limit_rad, r.averageAltitude_m, 200000.0);
    r.recommendedLimit_rad = run.recommendedLimit_rad;
  }
  std::vector<std::string> text(const Signs& signs, bool withRunPeaks) {
    std::string bytes, line;
    StringOutStream out(bytes);
    writeSummary(out, r, signs, withRunPeaks, line);
    return splitLines(bytes);
  }
};

TEST_F(SummaryText, ResultsAndConstantsBlockOfTheFirstMission) {
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
  const auto lines = text(fileSigns(), true);
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
  }
  for (int line : {11, 12, 13, 14, 16, 18, 19, 20, 21}) {  // values end in column 20
    EXPECT_EQ(lines[line - 1].find(';'), 20u) << lines[line - 1];
  }
}

TEST_F(SummaryText, ReportOnTheScreenLeavesOutTheRunPeaksAndUsesConsoleCodes) {
  const auto lines = text(consoleSigns(), false);
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

}  // namespace
}  // namespace ascent

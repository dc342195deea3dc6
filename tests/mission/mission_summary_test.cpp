// The summary of a mission from results set up by hand: the re-sized upper
// stage, the secant recommendation across missions, and the summary's text.
#include "mission/mission_summary.h"

#include <gtest/gtest.h>

#include "physics/constants.h"
#include "report/streams.h"
#include "report/summary_text.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

constexpr double degree = pi / 180;

// Worked out by hand from the sizing laws: S3_Mi = 4000 from the peak force,
// propellant used 148522 - 2345.6 = 146176.4 kg, reserve 2452.
TEST(MissionSummary, UpperStageIsSizedFromThePeakForceAndThePropellantLeft) {
  const UpperStageSizing z = sizeUpperStage(Vehicle::defaults(), 4321987.6, 2345.6);
  const std::pair<const char*, std::pair<double, double>> fields[] = {
      {"S3_Mt", {z.S3_Mt_kg, 301222}},
      {"S3_Mi", {z.S3_Mi_kg, 4000}},
      {"S3_Mp1", {z.S3_Mp1_kg, 771}},
      {"S3_Mp2", {z.S3_Mp2_kg, 145405.4}},
      {"total", {z.propellantTotal_kg, 148628.4}},
      {"reserve", {z.reservePropellant_kg, 2452}},
      {"S3_Ms", {z.S3_Ms_kg, 23459}},
      {"RCS", {z.rcsPropellant_kg, 121}},
      {"dry", {z.dryMass_kg, 20886}},
      {"S3_Mup", {z.S3_Mup_kg, 159}},
      {"S3_Mus", {z.S3_Mus_kg, 154}},
      {"S3_Fu", {z.S3_Fu_N, 89820}},
      {"SC_M", {z.SC_M_kg, 127273.6}},
  };
  for (const auto& [name, values] : fields) EXPECT_NEAR(values.first, values.second, 1e-6) << name;
  // The block adds up: what is loaded is used, started up or kept in reserve;
  // the spacecraft is what the stage does not take.
  EXPECT_EQ(z.S3_Mp2_kg + z.S3_Mp1_kg + z.reservePropellant_kg, z.propellantTotal_kg);
  EXPECT_EQ(z.S3_Ms_kg, z.dryMass_kg + z.rcsPropellant_kg + z.reservePropellant_kg);
  EXPECT_EQ(z.SC_M_kg, z.S3_Mt_kg - (z.S3_Mup_kg + z.S3_Mi_kg + z.S3_Mus_kg + z.S3_Mp1_kg +
                                     z.S3_Mp2_kg + z.S3_Ms_kg));

  // An overdrawn stage used more than it had loaded.
  const UpperStageSizing overdrawn = sizeUpperStage(Vehicle::defaults(), 4321987.6, -1000);
  EXPECT_EQ(overdrawn.propellantTotal_kg - overdrawn.reservePropellant_kg, 148522.0 + 1000);
  EXPECT_LT(overdrawn.SC_M_kg, z.SC_M_kg);
}

TEST(MissionSummary, RecommendationIsTheSecantThroughTheLastUpdatingMission) {
  RunRecord run;
  const auto recommend = [&](double limit_deg, double averageAltitude) {
    updateRecommendation(run, limit_deg * degree, averageAltitude, 200000.0);
    return run.recommendedLimit_rad / degree;
  };
  // First mission of a run: 3 degrees reaching 190 km recommends 3 * 200 / 190.
  EXPECT_NEAR(recommend(3, 190000), 3.0 * 200 / 190, 1e-12);
  // The line through (3, 190 km) and (4, 210 km) reaches 200 km at 3.5.
  EXPECT_NEAR(recommend(4, 210000), 3.5, 1e-12);
  // The same average again: nothing to divide by, the stored pair stays.
  EXPECT_NEAR(recommend(5, 210000), 3.5, 1e-12);
  EXPECT_EQ(run.previousLimit_rad, 4 * degree);
  EXPECT_EQ(run.previousAverageAltitude_m, 210000.0);
  // Through (4, 210 km) and (6, 230 km), not (5, 210 km): back to 3.
  EXPECT_NEAR(recommend(6, 230000), 3.0, 1e-12);
  // Both above 200 km and rising with the limit: an extrapolation below both.
  EXPECT_NEAR(recommend(7, 250000), 4.5, 1e-12);
}

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

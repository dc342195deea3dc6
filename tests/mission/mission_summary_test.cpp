// The summary of a mission from results set up by hand: the re-sized upper
// stage and the secant recommendation across missions.
#include "mission/mission_summary.h"

#include <gtest/gtest.h>

#include "physics/constants.h"

namespace ascent {
namespace {

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

}  // namespace
}  // namespace ascent

// The dynamic-pressure limit, the optimum at an end of its range, and the
// payload at every altitude, on the shipped thrust history.
#include "ascent/performance.h"

#include <gtest/gtest.h>

#include <string>

#include "ascent/sweep.h"
#include "study/targeting.h"

namespace ascent {
namespace {

ThrustHistory shippedHistory() {
  return ThrustHistory::fromFile(std::string(ASCENT_SHIPPED_DATA_DIR) + "/s1.dat");
}

// The peak dynamic pressure rises with the turn time from 27.7 kPa to a
// plateau of 28.4 kPa, and so does SC_M up to about 50 s, while below about
// 14 s the upper stage overdraws its propellant: under a limit the designs
// lie in a window between the two constraints, narrow or empty, which a
// coarse scan can step over. Under every limit the optimum is the heaviest
// design a dense sweep finds, on the dynamic pressure's boundary, or none
// when the sweep finds none.
TEST(DynamicPressureLimit, TheOptimumIsTheHeaviestDesignADenseSweepFindsUnderEveryLimit) {
  const ThrustHistory history = shippedHistory();
  std::vector<double> turnTimes;
  for (int k = 0; k <= 600; ++k) turnTimes.push_back(10 + k * 0.05);
  // A row's mission does not depend on the limit, only its verdict does.
  std::vector<SweepRow> rows;
  sweepTurnTimes(history, Vehicle::defaults(), turnTimes, SearchSettings{}, 2,
                 [&](const SweepRow& row) { rows.push_back(row); });
  for (const double limit_Pa : {27900.0, 28100.0, 28200.0, 28300.0}) {
    SCOPED_TRACE(limit_Pa);
    const SweepRow* densest = nullptr;
    for (const SweepRow& row : rows) {
      if (row.verdict != Verdict::Converged || row.mission.missionPeaks.maxQ_Pa > limit_Pa)
        continue;
      if (densest == nullptr || row.mission.sizing.SC_M_kg > densest->mission.sizing.SC_M_kg) {
        densest = &row;
      }
    }
    OptimizeSettings settings;
    settings.search.dynamicPressureLimit_Pa = limit_Pa;
    const OptimizeResult optimum =
        runOptimize(StudyInputs{history, Vehicle::defaults(), ""}, settings, 2);
    ASSERT_EQ(optimum.found(), densest != nullptr);
    if (densest == nullptr) continue;
    const MissionResult& design = optimum.optimum().mission;
    EXPECT_LE(design.missionPeaks.maxQ_Pa, limit_Pa);
    EXPECT_GE(design.sizing.SC_M_kg, densest->mission.sizing.SC_M_kg - 25);
    EXPECT_EQ(optimum.binding, Constraint::DynamicPressure);
  }
}

TEST(Optimize, SaysWhenTheOptimumIsAtAnEndOfItsRange) {
  OptimizeSettings settings;
  settings.from_s = 10;
  settings.to_s = 30;  // SC_M still rises at 30 s
  const OptimizeResult optimum =
      runOptimize(StudyInputs{shippedHistory(), Vehicle::defaults(), ""}, settings, 2);
  ASSERT_TRUE(optimum.found());
  EXPECT_EQ(optimum.optimum().turnTime_s, 30);
  EXPECT_TRUE(optimum.atRangeEdge);
}

// Each row is optimize's answer for its altitude, whatever the other
// altitudes and the threads; the payload falls as the orbit rises.
TEST(Performance, EachRowIsTheOptimumAtItsAltitude) {
  const ThrustHistory history = shippedHistory();
  const Vehicle& vehicle = Vehicle::defaults();
  PerformanceSettings settings;
  settings.altitudes_m = {150e3, 175e3, 200e3, 250e3};
  const PerformanceResult result = runPerformance(StudyInputs{history, vehicle, ""}, settings, 2);
  ASSERT_EQ(result.rows.size(), 4u);
  for (std::size_t k = 0; k < 3; ++k) ASSERT_TRUE(result.rows[k].found) << k;
  EXPECT_GT(result.rows[0].design.mission.sizing.SC_M_kg,
            result.rows[1].design.mission.sizing.SC_M_kg);
  EXPECT_GT(result.rows[1].design.mission.sizing.SC_M_kg,
            result.rows[2].design.mission.sizing.SC_M_kg);
  // Beyond what the open-loop guidance reaches with propellant left.
  EXPECT_FALSE(result.rows[3].found);
  EXPECT_NE(result.rows[3].design.verdict, Verdict::Converged);

  const OptimizeResult at200 = runOptimize(StudyInputs{history, vehicleAimedAt(vehicle, 200e3), ""},
                                           settingsAt(settings.optimize, 200e3), 1);
  ASSERT_TRUE(at200.found());
  EXPECT_EQ(result.rows[2].design.turnTime_s, at200.optimum().turnTime_s);
  EXPECT_EQ(result.rows[2].design.mission.sizing.SC_M_kg, at200.optimum().mission.sizing.SC_M_kg);
  EXPECT_EQ(result.rows[2].missions, at200.missions);

  settings.altitudes_m = {250e3, 200e3};
  const PerformanceResult alone = runPerformance(StudyInputs{history, vehicle, ""}, settings, 1);
  EXPECT_EQ(toValue(performanceRowSchema(), alone.rows[1]),
            toValue(performanceRowSchema(), result.rows[2]));
  EXPECT_EQ(toValue(performanceRowSchema(), alone.rows[0]),
            toValue(performanceRowSchema(), result.rows[3]));
}

TEST(Optimize, WithoutADesignTheNearestIsTheVerdictNearestToOne) {
  auto row = [](Verdict verdict, double remaining_kg = 10) {
    SweepRow r;
    r.verdict = verdict;
    r.hasMission = true;
    r.mission.outcome = Outcome::Orbit;
    r.mission.remainingPropellant_kg = remaining_kg;
    return r;
  };
  const struct {
    std::vector<SweepRow> rows;
    std::size_t nearest;
  } cases[] = {
      {{}, 0},
      {{row(Verdict::Unreachable), row(Verdict::NotConverged)}, 1},
      {{row(Verdict::Escape), row(Verdict::Suborbital), row(Verdict::OutsideDesign)}, 2},
      {{row(Verdict::OutsideDesign), row(Verdict::NoPropellantLeft, -5)}, 1},
      {{row(Verdict::NoPropellantLeft, -5), row(Verdict::Infeasible), row(Verdict::Infeasible)}, 1},
      // The least short of propellant.
      {{row(Verdict::NoPropellantLeft, -50), row(Verdict::NoPropellantLeft, -5)}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(nearestToDesign(c.rows), c.nearest);
}

}  // namespace
}  // namespace ascent

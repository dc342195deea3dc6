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
// plateau of 28.4 kPa, and so does SC_M up to about 50 s: at 28.3 kPa the
// limit cuts the range at about 24.5 s, and the optimum must sit at that
// edge of the feasible turn times, not at the unconstrained one.
TEST(DynamicPressureLimit, TheOptimumIsTheHeaviestFeasibleDesign) {
  const ThrustHistory history = shippedHistory();
  OptimizeSettings settings;
  settings.search.dynamicPressureLimit_Pa = 28300;
  std::vector<double> turnTimes;
  for (double t = settings.from_s; t <= settings.to_s; t += 1) turnTimes.push_back(t);
  std::vector<SweepRow> rows;
  sweepTurnTimes(history, Vehicle::defaults(), turnTimes, settings.search, 2,
                 [&](const SweepRow& row) { rows.push_back(row); });
  std::size_t infeasible = 0;
  for (const SweepRow& row : rows) {
    SCOPED_TRACE(row.turnTime_s);
    const double peak_Pa = row.mission.missionPeaks.maxQ_Pa;
    if (row.verdict == Verdict::Infeasible) {
      ++infeasible;
      EXPECT_GT(peak_Pa, 28300);
    } else if (row.verdict == Verdict::Converged) {
      EXPECT_LE(peak_Pa, 28300);
    }
  }
  EXPECT_GT(infeasible, 50u);
  SweepResult tally;
  for (const SweepRow& row : rows) tally.add(row);
  ASSERT_TRUE(tally.found);

  const OptimizeResult optimum =
      runOptimize(StudyInputs{history, Vehicle::defaults(), ""}, settings, 2);
  ASSERT_TRUE(optimum.found());
  const MissionResult& design = optimum.optimum().mission;
  EXPECT_LE(design.missionPeaks.maxQ_Pa, 28300);
  // SC_M moves in steps of about 6.6 kg of propellant left.
  EXPECT_GE(design.sizing.SC_M_kg, tally.best.mission.sizing.SC_M_kg - 6.6);
  EXPECT_FALSE(optimum.atRangeEdge);
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

TEST(Performance, ARowWithoutADesignTakesTheVerdictNearestToOne) {
  auto row = [](Verdict verdict, double remaining_kg = 10) {
    SweepRow r;
    r.verdict = verdict;
    r.hasMission = true;
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
      {{row(Verdict::OutsideDesign), row(Verdict::Converged, -5)}, 1},
      {{row(Verdict::Converged, -5), row(Verdict::Infeasible), row(Verdict::Infeasible)}, 1},
  };
  for (const auto& c : cases) EXPECT_EQ(nearestToDesign(c.rows), c.nearest);
}

}  // namespace
}  // namespace ascent

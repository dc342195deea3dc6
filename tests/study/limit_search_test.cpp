// The limit search on synthetic altitude curves shaped like the real one: no
// orbit below an edge, a concave rising stretch, a flat top where the limit
// no longer binds, and teeth whose edges jump across the tolerance window.
#include "study/limit_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace ascent {
namespace {

struct Curve {
  double edge_deg = 18;      // no orbit below
  double flatFrom_deg = 32;  // flat top from here on
  double top_m = 230e3;      // the flat top
  double teeth_m = 0;        // tooth height: falls across a tooth, jumps back up at its edge
  double tooth_deg = 0.01;

  LimitProbe operator()(double x) const {
    if (x < edge_deg) return {false, 0};
    const double u = std::min(x, flatFrom_deg) - edge_deg;
    const double span = flatFrom_deg - edge_deg;
    // Concave: steep just above the edge, level at the flat top.
    double y = top_m - (top_m - 60e3) * (1 - u / span) * (1 - u / span);
    if (x < flatFrom_deg && teeth_m > 0) {
      const double phase = x / tooth_deg - std::floor(x / tooth_deg);
      y -= teeth_m * phase;
    }
    return {true, y};
  }
};

struct Case {
  std::string name;
  Curve curve;
  LimitSearchOptions options;
  LimitVerdict verdict;
  int maxMissions;  // flown at most
};

LimitSearchOptions withGuess(double guess_deg, double target_m = 200e3, int budget = 25) {
  LimitSearchOptions options;
  options.firstGuess_deg = guess_deg;
  options.targetAltitude_m = target_m;
  options.maxMissions = budget;
  return options;
}

TEST(LimitSearch, ReachesTheVerdictOfEachShapeWithinItsBudget) {
  const Curve smooth;
  const Case cases[] = {
      {"from below", smooth, withGuess(22), LimitVerdict::Converged, 8},
      {"from above", smooth, withGuess(28), LimitVerdict::Converged, 8},
      {"from the flat top", smooth, withGuess(60), LimitVerdict::Converged, 10},
      {"from no orbit", smooth, withGuess(5), LimitVerdict::Converged, 10},
      {"above the flat top", smooth, withGuess(25, 250e3), LimitVerdict::Unreachable, 14},
      {"tiny budget", smooth, withGuess(25, 200e3, 2), LimitVerdict::NotConverged, 2},
      {"below every orbit", smooth, withGuess(25, 50e3), LimitVerdict::NotConverged, 25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int calls = 0;
    const LimitSearchResult result = searchLimit(
        [&](double x) {
          ++calls;
          EXPECT_GE(x, c.options.lowest_deg);
          EXPECT_LE(x, c.options.highest_deg);
          return c.curve(x);
        },
        c.options);
    EXPECT_EQ(result.verdict, c.verdict);
    EXPECT_EQ(static_cast<std::size_t>(calls), result.trials.size());
    EXPECT_LE(calls, c.maxMissions);
    if (c.verdict == LimitVerdict::Converged) {
      const LimitTrial& best = result.trials.at(result.best);
      EXPECT_TRUE(best.probe.reached);
      EXPECT_LE(std::fabs(best.probe.averageAltitude_m - c.options.targetAltitude_m),
                c.options.tolerance_m);
      EXPECT_EQ(result.best, result.trials.size() - 1);  // the search stops at its answer
    }
  }
}

// A bracket can close on the edge of a tooth instead of a crossing: the search
// then looks on the teeth either side.
TEST(LimitSearch, TeethJumpingAcrossTheWindowStillConverge) {
  Curve toothed;
  toothed.teeth_m = 600;  // jumps three times the width of the window
  for (int k = 0; k < 200; ++k) {
    const double guess = 12 + 0.1 * k;
    const LimitSearchResult result = searchLimit(toothed, withGuess(guess));
    EXPECT_EQ(result.verdict, LimitVerdict::Converged) << guess;
    EXPECT_LE(result.trials.size(), 16u) << guess;
  }
}

TEST(LimitSearch, UnreachableNamesTheFlatTopAndWhereItStarts) {
  const Curve curve;
  const LimitSearchResult result = searchLimit(curve, withGuess(25, 300e3));
  ASSERT_EQ(result.verdict, LimitVerdict::Unreachable);
  EXPECT_TRUE(result.flatTop);
  EXPECT_EQ(result.flatAltitude_m, curve.top_m);
  EXPECT_EQ(result.highestAltitude_m, curve.top_m);
  EXPECT_EQ(result.highestAt_deg, result.flatFrom_deg);
  EXPECT_GE(result.flatFrom_deg, curve.flatFrom_deg);
  EXPECT_LE(result.flatFrom_deg, curve.flatFrom_deg + 0.1);
}

TEST(LimitSearch, NotConvergedKeepsTheClosestTrial) {
  const LimitSearchResult result = searchLimit(Curve{}, withGuess(25, 200e3, 3));
  ASSERT_EQ(result.verdict, LimitVerdict::NotConverged);
  ASSERT_EQ(result.trials.size(), 3u);
  for (const LimitTrial& trial : result.trials) {
    EXPECT_LE(std::fabs(result.trials[result.best].probe.averageAltitude_m - 200e3),
              std::fabs(trial.probe.averageAltitude_m - 200e3));
  }
}

TEST(LimitSearch, AnAltitudeFlatOverTheWholeRangeIsUnreachable) {
  const LimitSearchResult result = searchLimit(
      [](double) {
        return LimitProbe{true, 150e3};
      },
      withGuess(25));
  EXPECT_EQ(result.verdict, LimitVerdict::Unreachable);
  EXPECT_TRUE(result.flatTop);
  EXPECT_LE(result.flatFrom_deg, 0.1);
  EXPECT_LE(result.trials.size(), 12u);
}

TEST(LimitSearch, NoOrbitAnywhereIsUnreachableWithoutABestTrial) {
  const LimitSearchResult result = searchLimit(
      [](double) {
        return LimitProbe{false, 0};
      },
      withGuess(25));
  EXPECT_EQ(result.verdict, LimitVerdict::Unreachable);
  EXPECT_EQ(result.best, result.trials.size());
  EXPECT_EQ(result.trials.back().limit_deg, 90);
}

}  // namespace
}  // namespace ascent

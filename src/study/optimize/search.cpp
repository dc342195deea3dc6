// The best turn time: a coarse scan brackets it, a golden-section search
// closes in.
//
// The spacecraft mass is not smooth in the turn time. The re-sizing rounds
// every mass to whole kilograms, and the upper stage's burn ends on an
// integration step, so the propellant left moves in steps of a few
// kilograms. The search follows the unrounded mass, which removes the first
// and leaves the second as a ragged top a few kilograms deep; the flat top
// reported is the span of the turn times within 1 kg of the best.
#include "study/optimize/search.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "study/targeting.h"

namespace ascent {

namespace {

// 2 - golden ratio: the fraction of the larger interval at which the next
// turn time is tried.
constexpr double goldenFraction = 0.3819660112501051;

double objective(const SweepRow& row, bool propellantLeft) {
  return feasibleDesign(row, propellantLeft) ? row.mission.sizing.SC_M_unrounded_kg
                                             : -std::numeric_limits<double>::infinity();
}

}  // namespace

std::vector<double> scanTurnTimes(const OptimizeSettings& settings) {
  const double from = settings.from_s, to = settings.to_s;
  const std::size_t points =
      from < to ? static_cast<std::size_t>(std::max(settings.scanPoints, 3)) : 1;
  std::vector<double> scan;
  for (std::size_t k = 0; k < points; ++k) {
    scan.push_back(k + 1 == points && points > 1
                       ? to
                       : from + (to - from) * static_cast<double>(k) /
                                    static_cast<double>(std::max<std::size_t>(points - 1, 1)));
  }
  return scan;
}

std::size_t expectedCandidates(const OptimizeSettings& settings) {
  const double from = settings.from_s, to = settings.to_s;
  const std::size_t points =
      from < to ? static_cast<std::size_t>(std::max(settings.scanPoints, 3)) : 1;
  const double width = points > 1 ? 2 * (to - from) / static_cast<double>(points - 1) : 0;
  const std::size_t searchSteps =
      width > settings.turnTimeTolerance_s
          ? static_cast<std::size_t>(
                std::ceil(std::log(width / settings.turnTimeTolerance_s) / std::log(1.618034))) +
                1
          : 0;
  return points + searchSteps;
}

void closeIn(OptimizeResult& result, const std::vector<double>& scan, const ThrustHistory& history,
             const Vehicle& vehicle, const OptimizeSettings& settings,
             const std::function<void()>& targeted) {
  auto fly = [&](double turnTime_s) -> const SweepRow& {
    result.candidates.push_back(targetRow(history, vehicle, turnTime_s, settings.search));
    if (targeted) targeted();
    return result.candidates.back();
  };

  // The best scan point and its neighbours bracket the search.
  std::size_t i = 0;
  for (std::size_t k = 1; k < scan.size(); ++k) {
    if (objective(result.candidates[k], settings.propellantLeft) >
        objective(result.candidates[i], settings.propellantLeft))
      i = k;
  }
  if (feasibleDesign(result.candidates[i], settings.propellantLeft) && scan.size() > 1) {
    double a = scan[i > 0 ? i - 1 : 0], b = scan[i], c = scan[std::min(i + 1, scan.size() - 1)];
    double fb = objective(result.candidates[i], settings.propellantLeft);
    // A best point at an end of the range: the other point of the bracket
    // goes inside the end interval first.
    if (a == b || c == b) {
      const double x = a == b ? b + goldenFraction * (c - b) : b - goldenFraction * (b - a);
      const double fx = objective(fly(x), settings.propellantLeft);
      if (fx > fb) {
        (a == b ? a : c) = b;
        b = x;
        fb = fx;
      } else {
        (a == b ? c : a) = x;
      }
    }
    while (c - a > settings.turnTimeTolerance_s) {
      const bool right = c - b > b - a;
      const double x = right ? b + goldenFraction * (c - b) : b - goldenFraction * (b - a);
      if (x <= a || x >= c || x == b) break;
      const double fx = objective(fly(x), settings.propellantLeft);
      if (fx > fb) {
        (right ? a : c) = b;
        b = x;
        fb = fx;
      } else {
        (right ? c : a) = x;
      }
    }
  }

  result.best = result.candidates.size();
  for (std::size_t k = 0; k < result.candidates.size(); ++k) {
    const SweepRow& row = result.candidates[k];
    result.missions += row.missions;
    if (!feasibleDesign(row, settings.propellantLeft)) continue;
    // The heaviest as reported (SC_M), the unrounded mass between equals.
    if (result.best == result.candidates.size()) {
      result.best = k;
      continue;
    }
    const MissionResult& held = result.candidates[result.best].mission;
    if (row.mission.sizing.SC_M_kg > held.sizing.SC_M_kg ||
        (row.mission.sizing.SC_M_kg == held.sizing.SC_M_kg &&
         row.mission.sizing.SC_M_unrounded_kg > held.sizing.SC_M_unrounded_kg)) {
      result.best = k;
    }
  }
  if (result.found()) {
    const SweepRow& best = result.optimum();
    result.flatFrom_s = result.flatTo_s = best.turnTime_s;
    for (const SweepRow& row : result.candidates) {
      if (!feasibleDesign(row, settings.propellantLeft) ||
          !(row.mission.sizing.SC_M_kg >= best.mission.sizing.SC_M_kg - 1)) {
        continue;
      }
      ++result.flatCount;
      result.flatFrom_s = std::min(result.flatFrom_s, row.turnTime_s);
      result.flatTo_s = std::max(result.flatTo_s, row.turnTime_s);
    }
    // The search cannot tell a turn time this close to an end of the range
    // from the end itself: the heaviest design may lie beyond it.
    result.atRangeEdge = best.turnTime_s - settings.from_s <= settings.turnTimeTolerance_s ||
                         settings.to_s - best.turnTime_s <= settings.turnTimeTolerance_s;
  }
}

OptimizeResult searchOptimum(const ThrustHistory& history, const Vehicle& vehicle,
                             const OptimizeSettings& settings, unsigned jobs,
                             const Progress& progress) {
  OptimizeResult result;
  const std::vector<double> scan = scanTurnTimes(settings);
  const std::size_t expected = expectedCandidates(settings);
  sweepTurnTimes(history, vehicle, scan, settings.search, jobs, [&](const SweepRow& row) {
    result.candidates.push_back(row);
    if (progress) progress(result.candidates.size(), expected);
  });
  result.scanned = result.candidates.size();
  closeIn(result, scan, history, vehicle, settings, [&] {
    if (progress) progress(result.candidates.size(), std::max(expected, result.candidates.size()));
  });
  return result;
}

}  // namespace ascent

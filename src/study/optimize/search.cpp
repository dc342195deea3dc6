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

namespace {

// What rules a turn time out as a design: none (it is one, or it fails for
// another reason), its peak dynamic pressure, or its propellant.
Constraint constraintOf(const SweepRow& row, bool propellantLeft) {
  if (row.verdict == Verdict::Infeasible) return Constraint::DynamicPressure;
  if (propellantLeft && row.verdict == Verdict::NoPropellantLeft) return Constraint::Propellant;
  return Constraint::None;
}

// The turn times of a constraint's boundary are located to this: a few
// kilograms of SC_M, which moves by about 160 kg per second of turn time.
constexpr double boundaryTolerance_s = 0.01;

// The search after the scan: its candidates and the targeting of one more.
class CloseIn {
 public:
  CloseIn(OptimizeResult& result, const ThrustHistory& history, const Vehicle& vehicle,
          const OptimizeSettings& settings, const std::function<void()>& targeted)
      : result_(result),
        history_(history),
        vehicle_(vehicle),
        settings_(settings),
        targeted_(targeted) {}

  // Between two scan points that each fail by one constraint, the other's on
  // the other side (too little propellant at the shorter turn time, too
  // much dynamic pressure at the longer), a window of designs may lie:
  // bisected until a design is found or the two sides meet.
  void searchWindows(const std::vector<double>& scan) {
    for (std::size_t k = 0; k + 1 < scan.size(); ++k) {
      const Constraint a = constraintOf(result_.candidates[k]),
                       b = constraintOf(result_.candidates[k + 1]);
      if (a == Constraint::None || b == Constraint::None || a == b) continue;
      double lo = scan[k], hi = scan[k + 1];
      while (hi - lo > boundaryTolerance_s) {
        const double mid = lo + (hi - lo) / 2;
        const SweepRow& row = fly(mid);
        if (feasible(row)) break;
        const Constraint c = constraintOf(row);
        if (c == a) {
          lo = mid;
        } else if (c == b) {
          hi = mid;
        } else {
          break;
        }
      }
    }
  }

  // The golden-section search around the best design found, bracketed by
  // the turn times targeted on either side of it.
  void goldenSection() {
    const std::size_t i = best();
    if (i == result_.candidates.size()) return;
    double a = neighbour(i, -1), b = result_.candidates[i].turnTime_s, c = neighbour(i, +1);
    if (a == b && c == b) return;
    double fb = objective(result_.candidates[i]);
    // A best point at an end: the other point of the bracket goes inside the
    // end interval first.
    if (a == b || c == b) {
      const double x = a == b ? b + goldenFraction * (c - b) : b - goldenFraction * (b - a);
      const double fx = objective(fly(x));
      if (fx > fb) {
        (a == b ? a : c) = b;
        b = x;
        fb = fx;
      } else {
        (a == b ? c : a) = x;
      }
    }
    while (c - a > settings_.turnTimeTolerance_s) {
      const bool right = c - b > b - a;
      const double x = right ? b + goldenFraction * (c - b) : b - goldenFraction * (b - a);
      if (x <= a || x >= c || x == b) break;
      const double fx = objective(fly(x));
      if (fx > fb) {
        (right ? a : c) = b;
        b = x;
        fb = fx;
      } else {
        (right ? c : a) = x;
      }
    }
  }

  // A best design may lie just inside a constraint's boundary, farther than
  // the golden section's tolerance from it: where the nearest turn time
  // that the constraint rules out on one side would carry more (its mass is
  // computed all the same), the boundary is bisected. Returns the
  // constraint whose boundary the best design is on, if any.
  Constraint refineToBoundaries() {
    Constraint binding = Constraint::None;
    for (const int side : {-1, +1}) {
      const std::size_t i = best();
      if (i == result_.candidates.size()) return binding;
      const std::size_t k = nearestRuledOut(i, side);
      if (k == result_.candidates.size()) continue;
      const SweepRow& beyond = result_.candidates[k];
      if (!(beyond.hasMission && beyond.mission.sizing.SC_M_unrounded_kg >
                                     result_.candidates[i].mission.sizing.SC_M_unrounded_kg)) {
        continue;
      }
      const Constraint c = constraintOf(beyond);
      double inside = result_.candidates[i].turnTime_s, outside = beyond.turnTime_s;
      while (std::fabs(outside - inside) > boundaryTolerance_s) {
        const double mid = inside + (outside - inside) / 2;
        const SweepRow& row = fly(mid);
        if (feasible(row)) {
          inside = mid;
        } else if (constraintOf(row) == c) {
          outside = mid;
        } else {
          break;
        }
      }
      binding = c;
    }
    return binding;
  }

  // The heaviest design as reported (SC_M), the unrounded mass between
  // equals; candidates.size() for none.
  std::size_t best() const {
    std::size_t held = result_.candidates.size();
    for (std::size_t k = 0; k < result_.candidates.size(); ++k) {
      const SweepRow& row = result_.candidates[k];
      if (!feasible(row)) continue;
      if (held == result_.candidates.size()) {
        held = k;
        continue;
      }
      const UpperStageSizing& top = result_.candidates[held].mission.sizing;
      const UpperStageSizing& z = row.mission.sizing;
      if (z.SC_M_kg > top.SC_M_kg ||
          (z.SC_M_kg == top.SC_M_kg && z.SC_M_unrounded_kg > top.SC_M_unrounded_kg)) {
        held = k;
      }
    }
    return held;
  }

 private:
  const SweepRow& fly(double turnTime_s) {
    result_.candidates.push_back(targetRow(history_, vehicle_, turnTime_s, settings_.search));
    if (targeted_) targeted_();
    return result_.candidates.back();
  }
  bool feasible(const SweepRow& row) const { return feasibleDesign(row, settings_.propellantLeft); }
  double objective(const SweepRow& row) const {
    return ascent::objective(row, settings_.propellantLeft);
  }
  Constraint constraintOf(const SweepRow& row) const {
    return ascent::constraintOf(row, settings_.propellantLeft);
  }
  // The candidate nearest to candidate i on one side (-1: shorter turn
  // times); candidates.size() when there is none.
  std::size_t nearestIndex(std::size_t i, int side) const {
    const double t = result_.candidates[i].turnTime_s;
    std::size_t nearest = result_.candidates.size();
    for (std::size_t k = 0; k < result_.candidates.size(); ++k) {
      const double u = result_.candidates[k].turnTime_s;
      if (side * (u - t) <= 0) continue;
      if (nearest == result_.candidates.size() ||
          std::fabs(u - t) < std::fabs(result_.candidates[nearest].turnTime_s - t)) {
        nearest = k;
      }
    }
    return nearest;
  }
  // The candidate nearest to candidate i on one side that a constraint rules
  // out; candidates.size() when there is none.
  std::size_t nearestRuledOut(std::size_t i, int side) const {
    const double t = result_.candidates[i].turnTime_s;
    std::size_t nearest = result_.candidates.size();
    for (std::size_t k = 0; k < result_.candidates.size(); ++k) {
      const double u = result_.candidates[k].turnTime_s;
      if (side * (u - t) <= 0 || constraintOf(result_.candidates[k]) == Constraint::None) continue;
      if (nearest == result_.candidates.size() ||
          std::fabs(u - t) < std::fabs(result_.candidates[nearest].turnTime_s - t)) {
        nearest = k;
      }
    }
    return nearest;
  }
  // Its turn time, or candidate i's own at an end.
  double neighbour(std::size_t i, int side) const {
    const std::size_t k = nearestIndex(i, side);
    return result_.candidates[k == result_.candidates.size() ? i : k].turnTime_s;
  }

  OptimizeResult& result_;
  const ThrustHistory& history_;
  const Vehicle& vehicle_;
  const OptimizeSettings& settings_;
  const std::function<void()>& targeted_;
};

// The flat top: the designs within 1 kg of the best; and whether the best is
// at an end of the range.
void describeOptimum(OptimizeResult& result, const OptimizeSettings& settings) {
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

}  // namespace

void closeIn(OptimizeResult& result, const std::vector<double>& scan, const ThrustHistory& history,
             const Vehicle& vehicle, const OptimizeSettings& settings,
             const std::function<void()>& targeted) {
  CloseIn search(result, history, vehicle, settings, targeted);
  if (scan.size() > 1) {
    search.searchWindows(scan);
    search.goldenSection();
    result.binding = search.refineToBoundaries();
  }
  result.best = search.best();
  for (const SweepRow& row : result.candidates) result.missions += row.missions;
  if (result.found()) {
    describeOptimum(result, settings);
  } else {
    result.nearest = nearestToDesign(result.candidates);
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

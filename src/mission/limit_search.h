// The search for the angle-of-attack limit whose mission reaches a wanted
// average orbit altitude, at one turn time.
//
// As a function of the limit the average altitude is: no orbit below some
// limit (the core stage falls back), a rising stretch, then flat where the
// limit no longer binds (the same trajectory, so the same bits); it is
// locally uneven by a few tenths of a kilometre (the step sequence changes
// with the limit). The search brackets the target first, then closes in with
// Brent's method (bisection whenever an interpolated step would leave the
// bracket or a bracket end has no orbit). It only sees a function from the
// limit to a probe, so it is tested on synthetic functions.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace ascent {

// What one mission flown at a limit tells the search.
struct LimitProbe {
  // false: abandoned, failed or an absurd orbit; the search treats it as too low.
  bool reached = false;
  double averageAltitude_m = 0;
};

struct LimitSearchOptions {
  double targetAltitude_m = 200e3;
  double tolerance_m = 100;  // converged when |average - target| <= tolerance
  int maxMissions = 25;
  double firstGuessDeg = 25;
  double lowestDeg = 0;  // the limits the search may fly
  double highestDeg = 90;
};

enum class LimitVerdict {
  Converged,     // the best trial is within the tolerance
  Unreachable,   // flat below the target: no limit reaches it
  NotConverged,  // the budget ran out, or the altitude jumps across the target
};

struct LimitTrial {
  double limitDeg;
  LimitProbe probe;
};

struct LimitSearchResult {
  LimitVerdict verdict = LimitVerdict::NotConverged;
  std::vector<LimitTrial> trials;  // in the order flown
  // Converged: the trial within the tolerance. Otherwise the reached trial
  // closest to the target (trials.size() when none reached an orbit).
  std::size_t best = 0;
  // The highest average altitude reached, and the lowest limit flown that
  // gave it.
  double highestAltitude_m = 0;
  double highestAtDeg = 0;
  // Unreachable: the altitude is flat at the highest limits (the limit no
  // longer binds), at flatAltitude_m from about flatFromDeg on (the lowest
  // limit flown on it).
  bool flatTop = false;
  double flatAltitude_m = 0;
  double flatFromDeg = 0;
  // NotConverged only: the bracket closed on a jump of the altitude across
  // the target instead of running out of missions.
  bool jumpsAcross = false;
};

// Flies missions through `fly` (one call per mission, never more than
// options.maxMissions) until one is within the tolerance of the target, or
// the target is shown to be unreachable, or the budget is spent.
// Deterministic: the same probes give the same trials.
LimitSearchResult searchLimit(const std::function<LimitProbe(double limitDeg)>& fly,
                              const LimitSearchOptions& options);

}  // namespace ascent

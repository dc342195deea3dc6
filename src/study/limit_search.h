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

#include <functional>

#include "ascent/target.h"

namespace ascent {

struct LimitSearchOptions {
  double targetAltitude_m = 200e3;
  double tolerance_m = 100;  // converged when |average - target| <= tolerance
  int maxMissions = 25;
  double firstGuess_deg = 25;
  double lowest_deg = 0;  // the limits the search may fly
  double highest_deg = 90;
};

// Flies missions through `fly` (one call per mission, never more than
// options.maxMissions) until one is within the tolerance of the target, or
// the target is shown to be unreachable, or the budget is spent.
// Deterministic: the same probes give the same trials.
LimitSearchResult searchLimit(const std::function<LimitProbe(double limit_deg)>& fly,
                              const LimitSearchOptions& options);

}  // namespace ascent

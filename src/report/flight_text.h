// A flown mission and a targeted turn time as text meant to be read: the
// summary `fly` prints and the trial table and verdict `target` prints, in
// kilometres and kilopascals, from the same results their JSON is made of.
#pragma once

#include <string>

#include "ascent/fly.h"
#include "ascent/target.h"

namespace ascent {

// "orbit", "abandoned: fell below the surface", "failed (106): reason", ...
std::string outcomeText(const MissionResult& result);

// outcomeText, or for an orbit that is not one: "suborbital: perigee
// -205.9 km", "escape".
std::string flightText(const MissionResult& result,
                       double minimumPerigee_m = defaultMinimumPerigee_m);

// The summary of `fly`: the turn time, the limit and the outcome, then for an
// orbit its altitudes, propellant, spacecraft mass, peaks and recommendation.
std::string flightSummaryText(const FlownMission& flight);

// What `target` prints: the target, one line per mission flown, the verdict.
std::string targetText(const TargetResult& target);

}  // namespace ascent

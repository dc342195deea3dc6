#pragma once

#include "app/run_context.h"

namespace ascent {

// Ends a mission: updates the run's recommended angle-of-attack limit, writes
// the orbit, velocity budget and peak loads, the constants of an upper stage
// re-sized from this flight, and the recommendation.
void missionSummary(RunContext& run);

}  // namespace ascent

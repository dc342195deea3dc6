#pragma once

#include "mission/mission_context.h"

namespace ascent {

// From core separation into orbit: coast on the ullage motors, main-engine
// start-up ramp, mainstage, ullage motor jettison, guided ascent, vacuum burn
// to the local circular speed, cutoff and a five-second coast; then the summary.
void upperStagePhase(Mission& m);

}  // namespace ascent

#pragma once

#include "mission/mission_context.h"

namespace ascent {

// From booster separation to core separation: the angle-of-attack limit, the
// steered core burn, SAJ and LAS jettison at 330 s, depletion, tail-off,
// cutoff, ullage ignition and separation.
void corePhase(Mission& m);

}  // namespace ascent

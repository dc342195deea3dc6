#pragma once

#include "mission/booster_motor.h"
#include "mission/mission_context.h"

namespace ascent {

// From the pad to booster separation at 130.2 s: mission reset, closed-form
// lift-off, climb to 110 m, pitch-over kick, turn, end-of-turn kick, and the
// boosters' residual propellant. The records come from `records`.
void boosterPhase(Mission& m, RecordSource& records);

}  // namespace ascent

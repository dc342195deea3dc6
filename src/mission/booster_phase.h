#pragma once

#include "app/run_context.h"

namespace ascent {

// From the pad to booster separation at 130.2 s: mission reset, closed-form
// lift-off, climb to 110 m, pitch-over kick, turn, end-of-turn kick, and the
// boosters' residual propellant.
void boosterPhase(RunContext& run);

}  // namespace ascent

// Timed stepping: flying a set time in fixed steps, and climbing to an altitude
// with one step back. Each says what it takes and what it leaves in s.dt;
// callers rely on those values.
#pragma once

#include "mission/mission_context.h"

namespace ascent {

// Flies `timeLeft` (s) in steps of `dt`, the last step shortened to what is
// left (a zero or negative timeLeft gives one step of that length). Leaves in
// s.dt, and returns, the length of the last step.
double flyFor(Mission& m, double dt, double timeLeft);

// Steps of `dt` (at least one) until h0 > targetAltitude (m), then one step
// back to the last state not above it. Leaves s.dt = -dt and returns
// `timeLeft` reduced by the time actually advanced. A climb that does not end
// within a thousand steps is a run-time error (106): only thrust records that
// cannot be flown lead there.
double flyToAltitude(Mission& m, double dt, double targetAltitude, double timeLeft);

}  // namespace ascent

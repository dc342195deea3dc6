// Timed stepping: flying a set time in fixed steps, and climbing to an altitude
// with one step back. Both use the flight state's dt and timeLeft and leave
// them changed, as stated below; callers rely on those values.
#pragma once

#include "app/run_context.h"

namespace ascent {

// Flies timeLeft in steps of dt, the last step shortened to what is left (a
// zero or negative timeLeft gives one step of that length). On return dt and
// timeLeft both hold the length of the last step.
void flyFor(RunContext& run);

// Steps (at least once) until h0 > targetAltitude, then takes one step back to
// the last state not above it. On return dt is negative (minus the step) and
// timeLeft has been reduced by the time actually advanced. A climb that does
// not end within a thousand steps is a run-time error (106): only thrust
// records that cannot be flown lead there.
void flyToAltitude(RunContext& run);

}  // namespace ascent

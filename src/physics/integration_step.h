// The equations of motion: one classical fourth-order Runge-Kutta step of a
// point mass in the vertical plane over a spherical, rotating Earth.
#pragma once

#include "app/run_context.h"

namespace ascent {

// Advances the flight state by dt (which may be zero or negative), tracks the
// peaks, writes one table row and the data-file lines, and recomputes the
// osculating orbit.
void integrateStep(RunContext& run);

}  // namespace ascent

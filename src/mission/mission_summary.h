// The computations of a mission's summary: the orbit's average altitude, the
// secant recommendation for the next try, and the constants of an upper stage
// re-sized from the flight.
#pragma once

#include "ascent/ascent.h"
#include "ascent/vehicle.h"

namespace ascent {

// Moves the run's recommendation by the secant through this mission's (limit,
// average altitude) and the last updating mission's, solved for the target
// altitude. An equal average would divide by zero: the recommendation and the
// secant's previous point then stay as they are.
void updateRecommendation(RunRecord& run, double limit_rad, double averageAltitude_m,
                          double targetAltitude_m);

// The upper stage re-sized for the peak force on its load path (N) and the
// propellant it had left (kg, negative when overdrawn).
UpperStageSizing sizeUpperStage(const Vehicle& vehicle, double maxForce_N,
                                double remainingPropellant_kg);

}  // namespace ascent

// The values a mission computes from its vehicle when it starts: areas from
// diameters squared, masses summed over the boosters, the start-up and
// tail-off laws, the target orbit speed. Each is written in the order of
// operations that gives the default vehicle the bits it has always had, and
// the phases read plain doubles from here, never a key.
#pragma once

#include "ascent/vehicle.h"
#include "physics/drag.h"

namespace ascent {

struct DerivedVehicle {
  DerivedVehicle() = default;
  explicit DerivedVehicle(const Vehicle& v);

  // Lift-off stack: core and boosters.
  double liftoffPropellant_kg = 0;  // core + all boosters
  double stackInertMass_kg = 0;     // core + all boosters without propellant
  double boosterStackRefArea_m2 = 0;
  double boosterStackExitArea_m2 = 0;  // booster nozzles and the core engines
  double forceArea_m2 = 0;             // the tracked load path's cross-section
  double surfaceSpeed_mps = 0;         // eastward speed of the pad
  double kickRate_radps = 0;           // magnitude of both kicks
  double recordIntervalLimit_s = 0;    // longest record interval without a warning

  // Core stage alone.
  double coreRefArea_m2 = 0;
  double tailOffVelocity_mps = 0;  // 2 * exhaust velocity: a linear fall to zero thrust

  // Ullage motors and upper stage.
  double ullageAxialThrust_N = 0;  // thrust * cos(cant)
  double ullageMassFlow_kgps = 0;  // propellant over the burn from ignition to the first step's end
  double upperRefArea_m2 = 0;
  double mainExitArea_m2 = 0;
  double startupTime_s = 0;  // a linear ramp to full thrust that burns the start-up propellant
  double targetOrbitSpeed_mps = 0;

  DragModel drag;
};

// The default vehicle's derived values, computed once.
const DerivedVehicle& defaultDerivedVehicle();

// The main engines' start-up time (DerivedVehicle::startupTime_s). The checks
// of a vehicle file use it too, so that what they reject is what would be
// flown, to the bit.
double upperStartupTime_s(const Vehicle& v);

}  // namespace ascent

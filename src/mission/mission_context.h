// The context of one mission: the vehicle's state, the records the mission
// keeps, the run it belongs to and whoever watches it. The phases and the
// stepping operations take it by reference.
#pragma once

#include <cstddef>
#include <string_view>

#include "ascent/ascent.h"
#include "mission/thrust_records.h"
#include "mission/vehicle.h"
#include "physics/flight_state.h"
#include "physics/standard_atmosphere.h"

namespace ascent {

// What a mission records as it flies, for its summary.
struct MissionRecord {
  double liftoffThrust = 0;        // N, sea-level thrust just after lift-off
  double liftoffAcceleration = 0;  // m/s^2
  double liftoffMass = 0;          // kg
  double force = 0;                // N, current force on the load path
  double maxForce = 0;             // N, largest force of the mission
  double maxForceTime = 0;         // s
  double boosterResidual = 0;      // kg, left in each booster at separation
  Peaks peaks;                     // this mission's thrust acceleration and dynamic pressure
};

struct Mission {
  Mission(FlightState& state, const AtmosphereTables& tables, RunRecord& run,
          MissionObserver* observer, const Vehicle& vehicle = Vehicle::defaults(),
          const DerivedVehicle& derived = defaultDerivedVehicle())
      : s(state),
        tables(tables),
        run(run),
        observer(observer),
        vehicle(vehicle),
        derived(derived) {}

  FlightState& s;
  const AtmosphereTables& tables;
  RunRecord& run;
  MissionObserver* observer;
  const Vehicle& vehicle;
  const DerivedVehicle& derived;
  MissionRecord record;

  std::string_view historyName = boosterThrustFileName;  // where the thrust records come from
  double turnTime = 0;   // s, how long the pitch-over offset is held
  double limit_deg = 0;  // deg, angle-of-attack limit as given

  // From the core stage on, a vehicle that falls back below the surface or
  // burns more than its own mass abandons its mission (mission_step.h).
  bool watch = false;
  // Floating-point faults are read from the sticky flags after every step
  // instead of trapping where they happen.
  bool checkFlags = false;
  std::size_t steps = 0;
};

}  // namespace ascent

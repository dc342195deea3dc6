// The report prints these doubles to many digits: every assignment below keeps
// the order and grouping of the mission's formulas.
#include "mission/core_phase.h"

#include <cmath>

#include "mission/mission_step.h"
#include "mission/timed_stepping.h"
#include "mission/vehicle.h"
#include "physics/constants.h"

namespace ascent {

namespace {

constexpr double stepLength = 1.0;  // s

}  // namespace

void corePhase(Mission& m) {
  FlightState& s = m.s;
  const Vehicle& v = m.vehicle;
  const DerivedVehicle& d = m.derived;
  if (m.observer != nullptr) {
    m.limit_deg = m.observer->limitAtSeparation(SeparationState(m), m.limit_deg);
  }
  s.alphaMax = m.limit_deg * pi / 180;

  // The core stage alone.
  s.refArea = d.coreRefArea_m2;
  s.exitArea = v.core.exit_area_m2;
  s.thrust = v.core.thrust_N;
  s.mdot = -s.thrust / v.core.exhaust_velocity_mps;
  s.m0 = s.forceMass + v.core.inert_mass_kg;
  s.pitchRate = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;

  m.watch = true;
  step(m);  // the rest of the last booster record interval, along the air path

  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawInitPending = true;
  s.lawExponent = v.guidance.core_law_exponent;
  flyFor(m, stepLength, v.timeline.jettison_time_s - s.t);

  event(m, Event::SajAndLasJettison);
  s.m0 = s.m0 - v.core.saj_mass_kg - v.core.las_mass_kg;
  s.forceMass = s.forceMass - v.core.saj_mass_kg - v.core.las_mass_kg;

  // Burn to depletion at the constant core flow.
  flyFor(m, stepLength, -s.Me / s.mdot);

  // Tail-off: thrust and flow fall linearly to zero; the thrust keeps the
  // last commanded angle of attack from the inertial flight path. Falling
  // linearly to zero, the flow burns the tail-off propellant in
  // propellant * (2 * exhaust velocity) / thrust seconds.
  s.Me = v.core.tail_off_propellant_kg;
  s.m0 = s.m0 - v.core.tail_off_propellant_kg;
  const double tailOffTime = s.Me * d.tailOffVelocity_mps / v.core.thrust_N;  // s
  s.thrustRate = -s.thrust / tailOffTime;
  s.mdotRate = -s.thrustRate / v.core.exhaust_velocity_mps;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = false;
  flyFor(m, stepLength, tailOffTime);
  event(m, Event::CoreCutoff);

  s.exitArea = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;
  s.dt = v.timeline.cutoff_coast_s;
  step(m);

  // Ullage motors light: their propellant becomes the flowing mass.
  s.thrust = s.thrust + d.ullageAxialThrust_N;
  s.Me = v.ullage.propellant_kg;
  s.m0 = s.m0 - v.ullage.propellant_kg;
  s.mdot = s.mdot - d.ullageMassFlow_kgps;
  s.dt = v.timeline.ullage_burn_to_separation_s;
  step(m);
  event(m, Event::CoreSeparation, s.deltaV);
}

}  // namespace ascent

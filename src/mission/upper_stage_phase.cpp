// The report prints these doubles to many digits: every assignment below keeps
// the order and grouping of the mission's formulas.
#include "mission/upper_stage_phase.h"

#include <cmath>

#include "mission/mission_step.h"
#include "mission/timed_stepping.h"
#include "mission/vehicle.h"
#include "physics/constants.h"

namespace ascent {

namespace {

// sqrt(GM / r): speed of a circular orbit at the current altitude.
double localCircularSpeed(const FlightState& s) {
  return std::sqrt(earthMu / (s.h0 + earthRadius));
}

}  // namespace

void upperStagePhase(Mission& m) {
  FlightState& s = m.s;
  const Vehicle& v = m.vehicle;
  const DerivedVehicle& d = m.derived;
  const double startupTime = d.startupTime_s;  // s, a linear ramp to full thrust

  // The separated stage coasts on its ullage motors at the held angle of attack.
  s.refArea = d.upperRefArea_m2;
  s.exitArea = 0;
  s.m0 = v.upper.mass_kg;
  s.pitchRate = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = false;
  flyFor(m, 1.0, v.timeline.separation_coast_s);
  event(m, Event::UpperStageIgnition);

  // Main-engine start-up: thrust and flow ramp linearly to full.
  s.Me = s.Me + v.upper.startup_propellant_kg;
  s.m0 = s.m0 - v.upper.startup_propellant_kg;
  double timeLeft = startupTime;  // s
  s.thrustRate = v.upper.thrust_N / startupTime;
  s.mdotRate = -s.thrustRate / v.upper.exhaust_velocity_mps;
  s.exitArea = d.mainExitArea_m2;
  s.dt = v.timeline.first_startup_step_s;
  step(m);
  timeLeft = timeLeft - s.dt;
  // The ullage motors burn out: their flow has used all their propellant.
  s.thrust = s.thrust - d.ullageAxialThrust_N;
  s.mdot = s.mdot + d.ullageMassFlow_kgps;
  flyFor(m, 1.0, timeLeft);
  event(m, Event::UpperStageMainstage);

  // Mainstage at constant thrust and flow, ullage motor cases still attached.
  s.Me = v.upper.mainstage_propellant_kg;
  s.m0 = s.m0 - v.upper.mainstage_propellant_kg;
  s.thrustRate = 0;
  s.mdotRate = 0;
  flyFor(m, 1.0, v.timeline.ullage_jettison_s - startupTime);
  event(m, Event::UllageJettison);
  s.m0 = s.m0 - v.ullage.case_mass_kg;

  // Align the steps to whole seconds of mission time.
  s.dt = 1 - (s.t - std::trunc(s.t));
  step(m);

  // Guided ascent under the vertical-acceleration law, to 1 % below orbital speed.
  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawInitPending = true;
  s.lawExponent = v.guidance.upper_law_exponent;
  s.dt = 1.0;
  do {
    step(m);
  } while (d.targetOrbitSpeed_mps >= s.vi * v.guidance.guided_speed_factor);

  // Vacuum burn along the flight path, then the final approach in 0.01 s
  // steps, until the speed exceeds the circular speed at the altitude reached.
  s.steeringMode = SteeringMode::Vacuum;
  s.dt = 0.1;
  double circularSpeed;
  do {
    step(m);
    circularSpeed = localCircularSpeed(s);
  } while (circularSpeed >= s.vi * v.guidance.vacuum_speed_factor);
  s.dt = 0.01;
  do {
    step(m);
    circularSpeed = localCircularSpeed(s);
  } while (!(s.vi > circularSpeed));
  event(m, Event::UpperStageCutoff);

  s.thrust = 0;
  s.mdot = 0;
  flyFor(m, 1.0, v.timeline.final_coast_s);
}

}  // namespace ascent

// The report prints these doubles to many digits: every assignment below keeps
// the order and grouping of the mission's formulas.
#include "mission/booster_phase.h"

#include <cmath>

#include "mission/booster_motor.h"
#include "mission/mission_context.h"
#include "mission/mission_step.h"
#include "mission/timed_stepping.h"
#include "mission/vehicle.h"
#include "physics/constants.h"

namespace ascent {

namespace {

constexpr double searchRefinement = 10.0;  // each altitude search divides the step by 10

// A kick lasts one record interval: a step of dt to the end of the current
// interval, then the rest of the kick into the next one.
void kickAcrossRecord(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  step(m);
  const double rest = m.vehicle.boosters.record_interval_s - s.dt;
  nextThrustRecord(m, reader);
  s.dt = rest;
  step(m);
}

}  // namespace

void boosterPhase(Mission& m, RecordSource& records) {
  FlightState& s = m.s;
  const Vehicle& v = m.vehicle;
  const DerivedVehicle& d = m.derived;
  const double recordInterval = v.boosters.record_interval_s;
  const double pitchOverAltitude = v.timeline.pitch_over_altitude_m;
  BoosterThrustReader reader(records);

  // Mission reset.
  s.drag = &d.drag;
  m.record.maxForceTime = 0;
  s.forceMass = v.loads.carried_mass_kg;
  s.forceArea = d.forceArea_m2;
  m.record.maxForce = s.forceMass * surfaceGravity;
  s.refArea = d.boosterStackRefArea_m2;
  s.exitArea = d.boosterStackExitArea_m2;
  const double seaLevelLoss = s.exitArea * seaLevelPressure;
  s.m0 = s.forceMass + d.stackInertMass_kg;
  s.Me = d.liftoffPropellant_kg;
  m.record.liftoffMass = s.m0 + s.Me;
  s.t = 0;
  s.surfaceSpeed = d.surfaceSpeed_mps;
  s.vx = s.surfaceSpeed;
  s.h0 = 0;
  s.vy = 0;
  s.r0 = 0;
  s.pitchOffset = 0;
  s.mdotRate = 0;
  s.thrustRate = 0;
  s.deltaV = 0;
  s.thrust = v.core.thrust_N;
  s.mdot = -s.thrust / v.core.exhaust_velocity_mps;

  padRow(m, surfaceGravity);

  // Lift-off: the positive root of sea-level thrust = weight, with the thrust
  // ramping at thrustRate and the mass falling with mdot and mdotRate:
  //   (F - loss) + thrustRate t = (M + mdot t + mdotRate t^2 / 2) g.
  firstThrustRecord(m, reader);
  const double g = surfaceGravity;
  const double M = s.m0 + s.Me;
  const double A = -g * s.mdotRate / 2;
  const double B = -g * s.mdot + s.thrustRate;
  const double C = (s.thrust - seaLevelLoss) - M * g;
  s.t = (std::sqrt(B * B - 4 * A * C) - B) / (2 * A);

  // On the pad until then: advance thrust and propellant in closed form.
  const double tL = s.t;
  s.Me = s.Me + s.mdot * tL + s.mdotRate * (tL * tL) / 2;
  s.thrust = s.thrust + s.thrustRate * tL;
  s.mdot = s.mdot + s.mdotRate * tL;
  padRow(m, (s.thrust - seaLevelLoss) / (s.m0 + s.Me));

  // First flight step, to the end of the first record interval.
  s.dt = s.dt - tL;
  s.pitchRate = 0;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = true;
  step(m);
  m.record.liftoffThrust = s.thrust - seaLevelLoss;
  m.record.liftoffAcceleration = m.record.liftoffThrust / (s.m0 + s.Me);

  // Vertical climb, one record interval a step, past the pitch-over altitude.
  do {
    nextThrustRecord(m, reader);
    step(m);
  } while (!(s.h0 > pitchOverAltitude));

  // Back to the start of that interval, then close in on 110 m with a tenth
  // and a hundredth of the interval.
  s.dt = -s.dt;
  step(m);
  double timeLeft = -s.dt;  // s, to the end of the current record interval
  timeLeft = flyToAltitude(m, -s.dt / searchRefinement, pitchOverAltitude, timeLeft);
  timeLeft = flyToAltitude(m, -s.dt / searchRefinement, pitchOverAltitude, timeLeft);
  event(m, Event::PitchOver);

  // Pitch-over kick, one record interval long, across the next record.
  s.pitchRate = -d.kickRate_radps;
  s.dt = timeLeft;
  kickAcrossRecord(m, reader);
  s.pitchRate = 0;
  s.dt = recordInterval - s.dt;
  step(m);

  // Hold the offset for the turn time.
  reader.turnTime = m.turnTime;
  flyThrustRecords(m, reader, m.turnTime - s.dt);

  // End-of-turn kick, back the other way.
  s.pitchRate = d.kickRate_radps;
  kickAcrossRecord(m, reader);
  reader.turnTime = -1;
  s.pitchOffset = 0;
  event(m, Event::EndTurn);
  s.pitchRate = 0;
  s.dt = recordInterval - s.dt;
  step(m);

  flyThrustRecords(m, reader, v.timeline.separation_time_s - s.t);

  // Take back the propellant booked for the unflown part r of the current
  // interval (the thrust falls linearly to currentThrust over it).
  const double r = s.dt;
  reader.boosterPropellantUsed =
      reader.boosterPropellantUsed -
      (reader.currentThrust - 0.5 * r * (reader.currentThrust - reader.previousThrust) /
                                  (reader.currentTime - reader.previousTime)) *
          r / v.boosters.exhaust_velocity_mps;
  const double residual = v.boosters.propellant_kg - reader.boosterPropellantUsed;
  s.Me = s.Me - v.boosters.count * residual;  // the boosters leave with their unburned propellant
  m.record.boosterResidual = residual;
  event(m, Event::BoosterSeparation, residual);
}

}  // namespace ascent

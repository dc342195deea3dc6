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

// The vehicle on the pad before ignition: the stack's masses and areas, the
// core engines at vacuum thrust, no propellant burned yet. Returns the thrust
// (N) the air pressure takes from the stack's nozzles at sea level.
double resetMission(Mission& m) {
  FlightState& s = m.s;
  const Vehicle& v = m.vehicle;
  const DerivedVehicle& d = m.derived;
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
  return seaLevelLoss;
}

// The positive root of sea-level thrust = weight, with the thrust ramping at
// thrustRate and the mass falling with mdot and mdotRate:
//   (F - loss) + thrustRate t = (M + mdot t + mdotRate t^2 / 2) g.
double liftOffTime(const FlightState& s, double seaLevelLoss) {
  const double g = surfaceGravity;
  const double M = s.m0 + s.Me;
  const double A = -g * s.mdotRate / 2;
  const double B = -g * s.mdot + s.thrustRate;
  const double C = (s.thrust - seaLevelLoss) - M * g;
  return (std::sqrt(B * B - 4 * A * C) - B) / (2 * A);
}

// Ignition to the end of the first record interval: on the pad until
// lift-off, thrust and propellant advanced in closed form, then the first
// flight step.
void liftOff(Mission& m, BoosterThrustReader& reader, double seaLevelLoss) {
  FlightState& s = m.s;
  firstThrustRecord(m, reader);
  s.t = liftOffTime(s, seaLevelLoss);

  const double tL = s.t;
  s.Me = s.Me + s.mdot * tL + s.mdotRate * (tL * tL) / 2;
  s.thrust = s.thrust + s.thrustRate * tL;
  s.mdot = s.mdot + s.mdotRate * tL;
  padRow(m, (s.thrust - seaLevelLoss) / (s.m0 + s.Me));

  s.dt = s.dt - tL;
  s.pitchRate = 0;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = true;
  step(m);
  m.record.liftoffThrust = s.thrust - seaLevelLoss;
  m.record.liftoffAcceleration = m.record.liftoffThrust / (s.m0 + s.Me);
}

// Vertical climb, one record interval a step, past the pitch-over altitude;
// back to the start of that interval, then close in on it with a tenth and a
// hundredth of the interval. Returns the time (s) left to the end of the
// current record interval.
double climbToPitchOver(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  const double pitchOverAltitude = m.vehicle.timeline.pitch_over_altitude_m;
  do {
    nextThrustRecord(m, reader);
    step(m);
  } while (!(s.h0 > pitchOverAltitude));

  s.dt = -s.dt;
  step(m);
  double timeLeft = -s.dt;
  timeLeft = flyToAltitude(m, -s.dt / searchRefinement, pitchOverAltitude, timeLeft);
  timeLeft = flyToAltitude(m, -s.dt / searchRefinement, pitchOverAltitude, timeLeft);
  return timeLeft;
}

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

// After a kick: the rest of the record interval it ended in, without pitching.
void finishRecordInterval(Mission& m) {
  FlightState& s = m.s;
  s.pitchRate = 0;
  s.dt = m.vehicle.boosters.record_interval_s - s.dt;
  step(m);
}

// The pitch-over kick from `timeLeft` (s) before the end of the current
// record interval, then the offset held for the turn time.
void pitchOverAndTurn(Mission& m, BoosterThrustReader& reader, double timeLeft) {
  FlightState& s = m.s;
  s.pitchRate = -m.derived.kickRate_radps;
  s.dt = timeLeft;
  kickAcrossRecord(m, reader);
  finishRecordInterval(m);

  reader.turnTime = m.turnTime;
  flyThrustRecords(m, reader, m.turnTime - s.dt);
}

// The end-of-turn kick, back the other way, which clears the pitch offset.
void endTurn(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  s.pitchRate = m.derived.kickRate_radps;
  kickAcrossRecord(m, reader);
  reader.turnTime = -1;
  s.pitchOffset = 0;
  event(m, Event::EndTurn);
  finishRecordInterval(m);
}

// The boosters leave with their unburned propellant. The propellant booked
// for the unflown part r of the current interval is taken back first (the
// thrust falls linearly to currentThrust over it).
void separateBoosters(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  const Vehicle& v = m.vehicle;
  const double r = s.dt;
  reader.boosterPropellantUsed =
      reader.boosterPropellantUsed -
      (reader.currentThrust - 0.5 * r * (reader.currentThrust - reader.previousThrust) /
                                  (reader.currentTime - reader.previousTime)) *
          r / v.boosters.exhaust_velocity_mps;
  const double residual = v.boosters.propellant_kg - reader.boosterPropellantUsed;
  s.Me = s.Me - v.boosters.count * residual;
  m.record.boosterResidual = residual;
  event(m, Event::BoosterSeparation, residual);
}

}  // namespace

void boosterPhase(Mission& m, RecordSource& records) {
  BoosterThrustReader reader(records);
  const double seaLevelLoss = resetMission(m);
  padRow(m, surfaceGravity);
  liftOff(m, reader, seaLevelLoss);

  const double timeLeft = climbToPitchOver(m, reader);
  event(m, Event::PitchOver);
  pitchOverAndTurn(m, reader, timeLeft);
  endTurn(m, reader);

  flyThrustRecords(m, reader, m.vehicle.timeline.separation_time_s - m.s.t);
  separateBoosters(m, reader);
}

}  // namespace ascent

// The report prints these doubles to many digits: every assignment below keeps
// the order and grouping of the mission's formulas.
#include "mission/booster_phase.h"

#include <cmath>

#include "mission/booster_thrust_file.h"
#include "mission/mission_context.h"
#include "mission/mission_step.h"
#include "mission/timed_stepping.h"
#include "mission/vehicle.h"
#include "physics/constants.h"

namespace ascent {

namespace {

constexpr double initialForceMass = 309536.0;  // kg, carried through the tracked load path
constexpr double boosterRefDiameterSquared = 123.85717164;  // m^2
constexpr double boosterExitDiameterSquared = 15.01407504;  // m^2, one booster nozzle exit
constexpr double boosterStackInertMass = 319929.4;  // kg, core and boosters not counted in Me
constexpr double initialPropellant = 2325602.2;     // kg, core and both boosters
constexpr double launchLatitudeDeg = 28.45;         // deg
constexpr double siderealDay = 86164.09;            // s
constexpr double boosterPropellant = 680388.6;      // kg, loaded in one booster
constexpr double pitchOverAltitude = 110.0;         // m
constexpr double searchRefinement = 10.0;           // each altitude search divides the step by 10
constexpr double kickRateDeg = 0.6;                 // deg/s, pitch rate of both kicks
constexpr double separationTime = 130.2;            // s

// A kick lasts one record interval: a step of dt to the end of the current
// interval, then the rest of the kick into the next one.
void kickAcrossRecord(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  step(m);
  const double rest = recordInterval - s.dt;
  nextThrustRecord(m, reader);
  s.dt = rest;
  step(m);
}

}  // namespace

void boosterPhase(Mission& m, RecordSource& records) {
  FlightState& s = m.s;
  BoosterThrustReader reader(records);

  // Mission reset.
  m.record.maxForceTime = 0;
  s.forceMass = initialForceMass;
  s.forceArea = pi * loadPathDiameterSquared / 4;
  m.record.maxForce = s.forceMass * surfaceGravity;
  s.refArea = pi * boosterRefDiameterSquared / 4 + protuberanceArea;
  s.exitArea = pi * 2 * boosterExitDiameterSquared / 4 + coreExitArea;
  const double seaLevelLoss = s.exitArea * seaLevelPressure;
  s.m0 = s.forceMass + boosterStackInertMass;
  s.Me = initialPropellant;
  m.record.liftoffMass = s.m0 + s.Me;
  s.t = 0;
  s.surfaceSpeed = std::cos(pi * launchLatitudeDeg / 180) * 2 * pi * earthRadius / siderealDay;
  s.vx = s.surfaceSpeed;
  s.h0 = 0;
  s.vy = 0;
  s.r0 = 0;
  s.pitchOffset = 0;
  s.mdotRate = 0;
  s.thrustRate = 0;
  s.deltaV = 0;
  s.thrust = coreThrust;
  s.mdot = -s.thrust / coreExhaustVelocity;

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
  s.pitchRate = pi * (-kickRateDeg) / 180;
  s.dt = timeLeft;
  kickAcrossRecord(m, reader);
  s.pitchRate = 0;
  s.dt = recordInterval - s.dt;
  step(m);

  // Hold the offset for the turn time.
  reader.turnTime = m.turnTime;
  flyThrustRecords(m, reader, m.turnTime - s.dt);

  // End-of-turn kick, back the other way.
  s.pitchRate = pi * kickRateDeg / 180;
  kickAcrossRecord(m, reader);
  reader.turnTime = -1;
  s.pitchOffset = 0;
  event(m, Event::EndTurn);
  s.pitchRate = 0;
  s.dt = recordInterval - s.dt;
  step(m);

  flyThrustRecords(m, reader, separationTime - s.t);

  // Take back the propellant booked for the unflown part r of the current
  // interval (the thrust falls linearly to currentThrust over it).
  const double r = s.dt;
  reader.boosterPropellantUsed =
      reader.boosterPropellantUsed -
      (reader.currentThrust - 0.5 * r * (reader.currentThrust - reader.previousThrust) /
                                  (reader.currentTime - reader.previousTime)) *
          r / boosterExhaustVelocity;
  const double residual = boosterPropellant - reader.boosterPropellantUsed;
  s.Me = s.Me - 2 * residual;  // both boosters leave with their unburned propellant
  m.record.boosterResidual = residual;
  event(m, Event::BoosterSeparation, residual);
}

}  // namespace ascent

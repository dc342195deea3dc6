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

constexpr double coreInertMass = 126699.0;    // kg, core stage not counted in Me
constexpr double coreLawExponent = 2.0;       // vertical-acceleration law exponent
constexpr double jettisonTime = 330.0;        // s, SAJ and LAS jettison
constexpr double sajMass = 920.0;             // kg
constexpr double lasMass = 7394.0;            // kg
constexpr double tailOffPropellant = 1236.0;  // kg, burned while the thrust falls to zero
// m/s, 2 * coreExhaustVelocity: a linear fall of thrust to zero burns the
// tail-off propellant in tailOffPropellant * 8873 / coreThrust seconds.
constexpr double tailOffFactor = 8873.0;
constexpr double cutoffCoast = 0.58;             // s, from cutoff to ullage ignition
constexpr double ullageBurnToSeparation = 0.18;  // s
constexpr double stepLength = 1.0;               // s

}  // namespace

void corePhase(Mission& m) {
  FlightState& s = m.s;
  if (m.observer != nullptr) m.limitDeg = m.observer->limitDeg(m.limitDeg);
  s.alphaMax = m.limitDeg * pi / 180;

  // The core stage alone.
  s.refArea = pi * loadPathDiameterSquared / 4 + protuberanceArea;
  s.exitArea = coreExitArea;
  s.thrust = coreThrust;
  s.mdot = -s.thrust / coreExhaustVelocity;
  s.m0 = s.forceMass + coreInertMass;
  s.pitchRate = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;

  m.watch = true;
  step(m);  // the rest of the last booster record interval, along the air path

  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawInitPending = true;
  s.lawExponent = coreLawExponent;
  flyFor(m, stepLength, jettisonTime - s.t);

  event(m, Event::SajAndLasJettison);
  s.m0 = s.m0 - sajMass - lasMass;
  s.forceMass = s.forceMass - sajMass - lasMass;

  // Burn to depletion at the constant core flow.
  flyFor(m, stepLength, -s.Me / s.mdot);

  // Tail-off: thrust and flow fall linearly to zero; the thrust keeps the
  // last commanded angle of attack from the inertial flight path.
  s.Me = tailOffPropellant;
  s.m0 = s.m0 - tailOffPropellant;
  const double tailOffTime = s.Me * tailOffFactor / coreThrust;  // s
  s.thrustRate = -s.thrust / tailOffTime;
  s.mdotRate = -s.thrustRate / coreExhaustVelocity;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = false;
  flyFor(m, stepLength, tailOffTime);
  event(m, Event::CoreCutoff);

  s.exitArea = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;
  s.dt = cutoffCoast;
  step(m);

  // Ullage motors light: their propellant becomes the flowing mass.
  s.thrust = s.thrust + ullageThrust * std::cos(pi * ullageCantDeg / 180);
  s.Me = ullagePropellant;
  s.m0 = s.m0 - ullagePropellant;
  s.mdot = s.mdot - ullageMassFlow;
  s.dt = ullageBurnToSeparation;
  step(m);
  event(m, Event::CoreSeparation, s.deltaV);
}

}  // namespace ascent

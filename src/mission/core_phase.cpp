// The report prints these doubles to many digits: every assignment below keeps
// the order and grouping of the mission's formulas.
#include "mission/core_phase.h"

#include <cmath>

#include "report/number_format.h"
#include "app/prompt.h"
#include "physics/constants.h"
#include "mission/mission_step.h"
#include "mission/timed_stepping.h"
#include "mission/vehicle.h"

namespace ascent {

namespace {

constexpr double coreInertMass = 126699.0;     // kg, core stage not counted in Me
constexpr double coreLawExponent = 2.0;        // vertical-acceleration law exponent
constexpr double jettisonTime = 330.0;         // s, SAJ and LAS jettison
constexpr double sajMass = 920.0;              // kg
constexpr double lasMass = 7394.0;             // kg
constexpr double tailOffPropellant = 1236.0;   // kg, burned while the thrust falls to zero
// m/s, 2 * coreExhaustVelocity: a linear fall of thrust to zero burns the
// tail-off propellant in tailOffPropellant * 8873 / coreThrust seconds.
constexpr double tailOffFactor = 8873.0;
constexpr double cutoffCoast = 0.58;           // s, from cutoff to ullage ignition
constexpr double ullageBurnToSeparation = 0.18;  // s
constexpr double stepLength = 1.0;             // s

}  // namespace

void corePhase(RunContext& run) {
  FlightState& s = run.state;
  promptRequiredReal(run, "Maximum angle of attack (degrees)? ", s.alphaMax);
  s.alphaMax = s.alphaMax * pi / 180;

  // The core stage alone.
  s.refArea = pi * loadPathDiameterSquared / 4 + 0.235;
  s.exitArea = coreExitArea;
  s.thrust = coreThrust;
  s.mdot = -s.thrust / coreExhaustVelocity;
  s.m0 = s.forceMass + coreInertMass;
  s.pitchRate = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;

  run.watchMission = true;
  step(run);  // the rest of the last booster record interval, along the air path

  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawInitPending = true;
  s.lawExponent = coreLawExponent;
  s.timeLeft = jettisonTime - s.t;
  s.dt = stepLength;
  flyFor(run);

  run.report->write("SAJ and LAS Jettison!\n");
  s.m0 = s.m0 - sajMass - lasMass;
  s.forceMass = s.forceMass - sajMass - lasMass;

  // Burn to depletion at the constant core flow.
  s.dt = stepLength;
  s.timeLeft = -s.Me / s.mdot;
  flyFor(run);

  // Tail-off: thrust and flow fall linearly to zero; the thrust keeps the
  // last commanded angle of attack from the inertial flight path.
  s.Me = tailOffPropellant;
  s.m0 = s.m0 - tailOffPropellant;
  s.timeLeft = s.Me * tailOffFactor / coreThrust;
  s.thrustRate = -s.thrust / s.timeLeft;
  s.mdotRate = -s.thrustRate / coreExhaustVelocity;
  s.dt = stepLength;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = false;
  flyFor(run);
  run.report->write("Core Engine Cutoff!\n");

  s.exitArea = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;
  s.dt = cutoffCoast;
  step(run);

  // Ullage motors light: their propellant becomes the flowing mass.
  s.thrust = s.thrust + ullageThrust * std::cos(pi * ullageCantDeg / 180);
  s.Me = ullagePropellant;
  s.m0 = s.m0 - ullagePropellant;
  s.mdot = s.mdot - ullageMassFlow;
  s.dt = ullageBurnToSeparation;
  step(run);

  std::string& line = run.line;
  line.assign("Core Separation! Vacuum and zero gravity delta-V = ");
  appendFixed(line, s.deltaV, 1, 0);
  line += " m/s\n";
  run.report->write(line);
}

}  // namespace ascent

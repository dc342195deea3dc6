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

constexpr double upperStageMass = 293840.0;     // kg, separated upper stage with spacecraft
constexpr double mainThrust = 2562176.0;        // N, both main engines at full thrust, vacuum
constexpr double mainExhaustVelocity = 4275.7;  // m/s
// s, 2 * startupPropellant * mainExhaustVelocity / mainThrust: a linear ramp to
// full thrust that burns exactly the start-up propellant.
constexpr double startupTime = 2.573253906054853;
constexpr double mainExitDiameterSquared = 9.290304;  // m^2, one main engine exit
constexpr double mainstagePropellant = 147751.0;      // kg
constexpr double ullageCaseMass = 152.0;              // kg, empty ullage motors
// m/s, circular speed at targetOrbitAltitude: sqrt(earthMu / (earthRadius + 200 km)).
constexpr double targetOrbitSpeed = 7784.245749961075;
constexpr double separationCoast = 3.4;               // s, before main-engine ignition
constexpr double firstStartupStep = 0.29;             // s, the ullage motors burn out at its end
constexpr double ullageJettisonAfterIgnition = 8.32;  // s
constexpr double upperLawExponent = 1.0;
constexpr double finalCoast = 5.0;  // s

// sqrt(GM / r): speed of a circular orbit at the current altitude.
double localCircularSpeed(const FlightState& s) {
  return std::sqrt(earthMu / (s.h0 + earthRadius));
}

}  // namespace

void upperStagePhase(Mission& m) {
  FlightState& s = m.s;

  // The separated stage coasts on its ullage motors at the held angle of attack.
  s.refArea = pi * loadPathDiameterSquared / 4;
  s.exitArea = 0;
  s.m0 = upperStageMass;
  s.pitchRate = 0;
  s.thrustRate = 0;
  s.mdotRate = 0;
  s.steeringMode = SteeringMode::AlongReference;
  s.followAirPath = false;
  flyFor(m, 1.0, separationCoast);
  event(m, Event::UpperStageIgnition);

  // Main-engine start-up: thrust and flow ramp linearly to full.
  s.Me = s.Me + startupPropellant;
  s.m0 = s.m0 - startupPropellant;
  double timeLeft = startupTime;  // s
  s.thrustRate = mainThrust / startupTime;
  s.mdotRate = -s.thrustRate / mainExhaustVelocity;
  s.exitArea = 2 * pi * mainExitDiameterSquared / 4;
  s.dt = firstStartupStep;
  step(m);
  timeLeft = timeLeft - s.dt;
  // The ullage motors burn out: 3.87 s in all have used their 156 kg.
  s.thrust = s.thrust - ullageThrust * std::cos(pi * ullageCantDeg / 180);
  s.mdot = s.mdot + ullageMassFlow;
  flyFor(m, 1.0, timeLeft);
  event(m, Event::UpperStageMainstage);

  // Mainstage at constant thrust and flow, ullage motor cases still attached.
  s.Me = mainstagePropellant;
  s.m0 = s.m0 - mainstagePropellant;
  s.thrustRate = 0;
  s.mdotRate = 0;
  flyFor(m, 1.0, ullageJettisonAfterIgnition - startupTime);
  event(m, Event::UllageJettison);
  s.m0 = s.m0 - ullageCaseMass;

  // Align the steps to whole seconds of mission time.
  s.dt = 1 - (s.t - std::trunc(s.t));
  step(m);

  // Guided ascent under the vertical-acceleration law, to 1 % below orbital speed.
  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawInitPending = true;
  s.lawExponent = upperLawExponent;
  s.dt = 1.0;
  do {
    step(m);
  } while (targetOrbitSpeed >= s.vi * 1.01);

  // Vacuum burn along the flight path, then the final approach in 0.01 s
  // steps, until the speed exceeds the circular speed at the altitude reached.
  s.steeringMode = SteeringMode::Vacuum;
  s.dt = 0.1;
  double circularSpeed;
  do {
    step(m);
    circularSpeed = localCircularSpeed(s);
  } while (circularSpeed >= s.vi * 1.001);
  s.dt = 0.01;
  do {
    step(m);
    circularSpeed = localCircularSpeed(s);
  } while (!(s.vi > circularSpeed));
  event(m, Event::UpperStageCutoff);

  s.thrust = 0;
  s.mdot = 0;
  flyFor(m, 1.0, finalCoast);
}

}  // namespace ascent

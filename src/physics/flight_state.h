// The one record of vehicle and run state. Every flight and mission procedure
// reads and writes this record; it lives for the whole run inside the run
// context. All reals are IEEE doubles in SI units; angles are radians measured
// in the vertical flight plane from the local horizontal, positive upward.
#pragma once

#include <string>

namespace ascent {

// How the integration step points the thrust.
enum class SteeringMode : int {
  AlongReference = 0,  // atmospheric flight along the air path or at a held alpha
  VerticalLaw = 1,     // vertical-acceleration law limited by alphaMax
  Vacuum = 2,          // no atmosphere, thrust along the inertial path plus pitchOffset
};

struct FlightState {
  // Time and step control
  double t = 0;               // s, mission time, 0 on the pad at the mission reset
  double dt = 0;              // s, increment of the next integration step; negative steps back
  double timeLeft = 0;        // s, time still to fly in the current timed segment
  double targetAltitude = 0;  // m, altitude at which the climb-to-altitude stepping stops

  // Motion state, integrated by the step
  double vx = 0;           // m/s, horizontal (downrange) inertial velocity
  double h0 = 0;           // m, geometric altitude above earthRadius
  double vy = 0;           // m/s, vertical (radial) velocity, positive up
  double r0 = 0;           // m, downrange distance over the rotating surface
  double pitchOffset = 0;  // rad, added to the reference flight-path angle
  double Me = 0;           // kg, propellant the burning engines draw from
  double mdot = 0;         // kg/s, rate of change of Me (negative while burning)
  double thrust = 0;       // N, vacuum thrust of the engines now burning
  double deltaV = 0;       // m/s, vacuum and zero-gravity velocity gain

  // Vehicle configuration and rates, constant within a step
  double m0 = 0;            // kg, mass that does not change with propellant flow
  double thrustRate = 0;    // N/s, rate of change of thrust
  double mdotRate = 0;      // kg/s^2, rate of change of mdot
  double pitchRate = 0;     // rad/s, rate of change of pitchOffset
  double exitArea = 0;      // m^2, nozzle exit area of the engines now burning
  double refArea = 0;       // m^2, aerodynamic reference area
  double surfaceSpeed = 0;  // m/s, eastward speed of the launch site

  // Steering
  SteeringMode steeringMode = SteeringMode::AlongReference;
  bool followAirPath = false;   // mode 0: thrust along the air path (true) or at alpha (false)
  double alpha = 0;             // rad, thrust angle above the inertial velocity
  double alphaMax = 0;          // rad, angle-of-attack limit of the vertical law
  double lawExponent = 0;       // exponent n of the vertical-acceleration law
  double lawGain = 0;           // (m/s^2)/(m/s)^n, gain of the vertical-acceleration law
  bool lawInitPending = false;  // the next step computes lawGain

  // Derived outputs, recomputed after every step
  double a = 0;        // m/s^2, thrust acceleration (net thrust over total mass)
  double vi = 0;       // m/s, inertial speed
  double sma = 0;      // m, semi-major axis of the osculating orbit
  double ecc = 0;      // eccentricity of the osculating orbit
  double perigee = 0;  // m, perigee altitude above earthRadius
  double apogee = 0;   // m, apogee altitude above earthRadius

  // Peak tracking
  double forceMass = 0;     // kg, mass carried through the tracked load path
  double forceArea = 0;     // m^2, area whose drag adds to the tracked force
  double force = 0;         // N, current force on the load path
  double maxForce = 0;      // N, largest force of the mission
  double maxForceTime = 0;  // s
  double maxAccel = 0;      // m/s^2, largest thrust acceleration of the run
  double maxAccelTime = 0;  // s
  double maxQ = 0;          // Pa, largest dynamic pressure of the run
  double maxQTime = 0;      // s

  // Mission records
  double liftoffThrust = 0;            // N, sea-level thrust just after lift-off
  double liftoffAcceleration = 0;      // m/s^2
  double liftoffMass = 0;              // kg
  double averageAltitude = 0;          // m, mean of perigee and apogee
  double altitudeHalfRange = 0;        // m, apogee minus averageAltitude
  double recommendedAlphaMax = 0;      // rad, secant recommendation for the next try
  double previousAverageAltitude = 0;  // m, averageAltitude of the last updating mission
  double previousAlphaMax = 0;         // rad, alphaMax of that mission

  // Run settings
  std::string reportName;      // as typed at start-up; empty means standard output
  bool dataFiles = false;      // a report file was named: data files, echo, run peaks
  unsigned char squaredChar = 0;
  unsigned char degreeChar = 0;
  unsigned char plusMinusChar = 0;
  double turnTime = 0;  // s, turn time entered at the mission prompt
};

}  // namespace ascent

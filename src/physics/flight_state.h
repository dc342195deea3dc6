// The state of the vehicle in flight: motion, configuration, steering and the
// step control that the mission phases set before each integration step. The
// phases reset it at every mission start. All reals are IEEE doubles in SI
// units; angles are radians measured in the vertical flight plane from the
// local horizontal, positive upward.
#pragma once

#include "physics/drag.h"

namespace ascent {

// How the integration step points the thrust.
enum class SteeringMode : int {
  AlongReference = 0,  // atmospheric flight along the air path or at a held alpha
  VerticalLaw = 1,     // vertical-acceleration law limited by alphaMax
  Vacuum = 2,          // no atmosphere, thrust along the inertial path plus pitchOffset
};

struct FlightState {
  // Time and step control
  double t = 0;   // s, mission time, 0 on the pad at the mission reset
  double dt = 0;  // s, increment of the next integration step; negative steps back

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
  const DragModel* drag = &standardDragModel();  // the vehicle's drag coefficient

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

  // Values of the last step that its table row shows, and that the steering
  // angle and the load path read
  double beta = 0;   // rad, inertial flight-path angle atan(vy / vx)
  double theta = 0;  // rad, air-relative flight-path angle
  double va = 0;     // m/s, air speed
  double q = 0;      // Pa, dynamic pressure (0 in vacuum steering)
  double Cq = 0;     // Pa, drag coefficient times dynamic pressure
  double Fn = 0;     // N, net thrust after the ambient-pressure loss

  // The atmosphere at the altitude asked for last (the step's own memo)
  struct AtmosphereMemo {
    bool valid = false;
    double h = 0;    // m
    double P = 0;    // Pa
    double rho = 0;  // kg/m^3
    double c = 0;    // m/s
  } atmosphereCache;

  // |vy|^n of the vertical-acceleration law at the vy asked for last
  struct PowerMemo {
    bool valid = false;
    double vy = 0;     // m/s
    double n = 0;      // the law's exponent
    double value = 0;  // (m/s)^n
  } powerCache;

  // Load path: the structure whose peak force sizes the interstage
  double forceMass = 0;  // kg, mass carried through the tracked load path
  double forceArea = 0;  // m^2, area whose drag adds to the tracked force
};

}  // namespace ascent

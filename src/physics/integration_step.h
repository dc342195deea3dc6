// The equations of motion: one classical fourth-order Runge-Kutta step of a
// point mass in the vertical plane over a spherical, rotating Earth.
#pragma once

#include "physics/flight_state.h"
#include "physics/standard_atmosphere.h"

namespace ascent {

// Advances the flight state by dt (which may be zero or negative) and derives
// the new state's inertial speed, flight-path angles, air speed, dynamic
// pressure, drag and net thrust (the table row's values but alpha).
void integrateStep(FlightState& s, const AtmosphereTables& tables);

// The angle of attack the steering mode commands in the state integrateStep
// left: a step's row shows it. Called after integrateStep.
void updateSteeringAngle(FlightState& s);

// Semi-major axis, eccentricity, perigee and apogee of the osculating orbit.
void updateOsculatingOrbit(FlightState& s);

}  // namespace ascent

// The flight model's Earth, shared by the atmosphere, the
// equations of motion and the mission phases.
#pragma once

namespace ascent {

constexpr double pi = 3.14159265358979323846;

constexpr double earthRadius = 6378165.0;             // m, radius of the spherical Earth
constexpr double earthMu = 3.986005e14;               // m^3/s^2, gravitational parameter
constexpr double surfaceGravity = 9.798200881516824;  // m/s^2, earthMu / earthRadius^2
constexpr double seaLevelPressure = 101325.0;         // Pa, standard sea-level pressure
constexpr double siderealDay = 86164.09;              // s, one turn of the Earth
// s, how much longer than the vehicle's record interval a thrust record may
// follow the one before it without a warning.
constexpr double recordIntervalTolerance = 1e-6;

// Radians to degrees as value * 180 / pi, evaluated left to right: a
// precomputed 180 / pi differs in the last bit and can flip a printed digit.
constexpr double toDegrees(double radians) {
  return radians * 180 / pi;
}

}  // namespace ascent

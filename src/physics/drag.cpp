#include "physics/drag.h"

#include <cmath>

namespace ascent {

namespace {

// The vehicle's drag coefficient over Mach number: flat subsonic, a step up just
// above Mach 1, then three linear stretches down to a constant value from Mach 5.
constexpr double subsonicCd = 0.4;             // up to and including Mach 1
constexpr double transonicCd = 0.8;            // above Mach 1, up to transonicEndMach
constexpr double transonicEndMach = 1.4;       // start of the first decline
constexpr double transonicDecline = 0.11;      // Cd lost from Mach 1.4 to Mach 2
constexpr double transonicDeclineWidth = 0.6;  // Mach, from 1.4 to 2
constexpr double supersonicMach = 2.0;         // start of the second decline
constexpr double supersonicCd = 0.69;          // at Mach 2
constexpr double supersonicSlope = 0.1;        // Cd per Mach, from Mach 2 to 3
constexpr double highSupersonicMach = 3.0;     // start of the third decline
constexpr double highSupersonicCd = 0.59;      // at Mach 3
constexpr double highSupersonicSlope = 0.02;   // Cd per Mach, from Mach 3 to 5
constexpr double hypersonicMach = 5.0;         // Cd constant from here on
constexpr double hypersonicCd = 0.55;

}  // namespace

double dragCoefficient(double mach) {
  // A Mach number is a speed magnitude over a positive speed of sound, so a
  // negative or NaN one never arises in flight. Both get the subsonic value,
  // tested first with a quiet NaN check: no later comparison or conversion ever
  // sees a NaN, and the result stays finite. +infinity takes the Mach 5 value.
  if (std::isnan(mach) || mach < 0.0) return subsonicCd;
  if (mach >= hypersonicMach) return hypersonicCd;

  // Band: mach - 0.5 to the nearest integer, ties to even, so that Mach 1 falls
  // in band 0, Mach 2 and 3 in band 2 and Mach 4 in band 4; here 0 <= band <= 4.
  const int band = static_cast<int>(std::nearbyint(mach - 0.5));
  switch (band) {
    case 0:
      return subsonicCd;
    case 1:
      if (mach < transonicEndMach) return transonicCd;
      return transonicCd - ((mach - transonicEndMach) * transonicDecline) / transonicDeclineWidth;
    case 2:
      return supersonicCd - (mach - supersonicMach) * supersonicSlope;
    default:  // bands 3 and 4
      return highSupersonicCd - (mach - highSupersonicMach) * highSupersonicSlope;
  }
}

}  // namespace ascent

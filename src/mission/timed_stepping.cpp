#include "mission/timed_stepping.h"

#include <cmath>
#include <string>

#include "ascent/errors.h"
#include "mission/mission_step.h"

namespace ascent {

double flyFor(Mission& m, double dt, double timeLeft) {
  FlightState& s = m.s;
  s.dt = dt;
  while (timeLeft > s.dt) {
    step(m);
    timeLeft = timeLeft - s.dt;
  }
  s.dt = timeLeft;
  step(m);
  return s.dt;
}

double flyToAltitude(Mission& m, double dt, double targetAltitude, double timeLeft) {
  FlightState& s = m.s;
  // The search re-crosses the target within the ten or so steps of one record
  // interval; a vehicle that has not after this many never will.
  constexpr int maxSearchSteps = 1000;
  int steps = 0;
  s.dt = dt;
  do {
    if (++steps > maxSearchSteps) {
      throw Error(errorCode::unusableData,
                  "the thrust records cannot be flown: the climb to " +
                      std::to_string(static_cast<long long>(std::nearbyint(targetAltitude))) +
                      " m does not end");
    }
    step(m);
    timeLeft = timeLeft - s.dt;
  } while (!(s.h0 > targetAltitude));
  s.dt = -s.dt;
  step(m);
  return timeLeft - s.dt;
}

}  // namespace ascent

#include "mission/timed_stepping.h"

#include "mission/mission_step.h"

namespace ascent {

void flyFor(RunContext& run) {
  FlightState& s = run.state;
  while (s.timeLeft > s.dt) {
    step(run);
    s.timeLeft = s.timeLeft - s.dt;
  }
  s.dt = s.timeLeft;
  step(run);
}

void flyToAltitude(RunContext& run) {
  FlightState& s = run.state;
  do {
    step(run);
    s.timeLeft = s.timeLeft - s.dt;
  } while (!(s.h0 > s.targetAltitude));
  s.dt = -s.dt;
  step(run);
  s.timeLeft = s.timeLeft - s.dt;
}

}  // namespace ascent

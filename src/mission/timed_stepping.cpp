#include "mission/timed_stepping.h"

#include "report/number_format.h"
#include "mission/run_error.h"
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
  // The search re-crosses the target within the ten or so steps of one record
  // interval; a vehicle that has not after this many never will.
  constexpr int maxSearchSteps = 1000;
  int steps = 0;
  do {
    if (++steps > maxSearchSteps) {
      std::string& reason = run.line;
      reason.assign("the thrust records cannot be flown: the climb to ");
      appendFixed(reason, s.targetAltitude, 1, 0);
      reason += " m does not end";
      throw RunError(errorCode::notANumber, reason);
    }
    step(run);
    s.timeLeft = s.timeLeft - s.dt;
  } while (!(s.h0 > s.targetAltitude));
  s.dt = -s.dt;
  step(run);
  s.timeLeft = s.timeLeft - s.dt;
}

}  // namespace ascent

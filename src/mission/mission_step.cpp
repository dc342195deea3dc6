#include "mission/mission_step.h"

#include <cmath>

#include "mission/run_error.h"
#include "physics/integration_step.h"
#include "mission/booster_thrust_file.h"

namespace ascent {

void step(RunContext& run) {
  integrateStep(run);
  const FlightState& s = run.state;
  // Written so that a NaN fails them too.
  const bool clockInRange = std::fabs(s.t) <= latestMissionTime;
  if (run.watchMission) {
    if (!(s.h0 >= 0) || !(s.m0 + s.Me > 0) || !clockInRange) throw MissionAbandoned{};
  } else if (!clockInRange) {
    throw RunError(errorCode::notANumber,
                   std::string(boosterThrustFileName) +
                       " cannot be flown: the mission clock left -10000..10000 s before booster "
                       "separation");
  }
}

}  // namespace ascent

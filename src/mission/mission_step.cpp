#include "mission/mission_step.h"

#include "dynamics/integration_step.h"

namespace ascent {

void step(RunContext& run) {
  integrateStep(run);
  const FlightState& s = run.state;
  if (run.watchMission && (s.h0 < 0 || !(s.m0 + s.Me > 0))) throw MissionAbandoned{};
}

void checkMissionTime(const RunContext& run) {
  if (run.state.t > latestMissionTime) throw MissionAbandoned{};
}

}  // namespace ascent

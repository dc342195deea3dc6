#include "mission/mission_step.h"

#include "dynamics/integration_step.h"

namespace ascent {

void step(RunContext& run) {
  integrateStep(run);
  if (run.watchGround && run.state.h0 < 0) throw MissionAbandoned{};
}

void checkMissionTime(const RunContext& run) {
  if (run.state.t > latestMissionTime) throw MissionAbandoned{};
}

}  // namespace ascent

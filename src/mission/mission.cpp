#include "mission/mission.h"

#include "mission/booster_phase.h"
#include "mission/core_phase.h"
#include "mission/mission_step.h"
#include "mission/upper_stage_phase.h"

namespace ascent {

void flyMission(RunContext& run) {
  run.watchMission = false;
  try {
    boosterPhase(run);
    corePhase(run);
    upperStagePhase(run);
  } catch (const MissionAbandoned&) {
    // Nothing more of this mission is flown or summarised; the next turn
    // time is asked for as after a completed mission.
    run.report->write("Error! Orbit not reached, mission abandoned.\n");
  }
  run.watchMission = false;
}

}  // namespace ascent

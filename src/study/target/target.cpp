// The target study's settings and its run (ascent/target.h).
#include "ascent/target.h"

#include "study/targeting.h"

namespace ascent {

SettingProblem settingsProblem(const TargetSettings& settings) {
  if (std::string problem = turnTimeProblem(settings.turnTime_s); !problem.empty()) {
    return {"turn_time_s", problem};
  }
  return settingsProblem(settings.search);
}

TargetResult runTarget(const StudyInputs& inputs, const TargetSettings& settings,
                       StudyObserver* observer) {
  refuseSetting(settingsProblem(settings));
  checkStudyInputs(inputs, settings.turnTime_s, observer);
  return TargetResult{
      targetTurnTime(inputs.history, inputs.vehicle, settings.turnTime_s, settings.search),
      settings.search, inputs.history.name(), inputs.vehicle};
}

}  // namespace ascent

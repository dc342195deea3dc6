// The optimize study: its settings, the verdicts of its candidates and its
// run (ascent/optimize.h); the search itself is in optimize/search.cpp.
#include "ascent/optimize.h"

#include <cmath>

#include "study/optimize/search.h"
#include "study/targeting.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<OptimizeSettings> optimizeTable[] = {
    {"from_s", "the first turn time", [](const OptimizeSettings& s) { return s.from_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"to_s", "the last turn time", [](const OptimizeSettings& s) { return s.to_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"scan_points", "the number of scan points",
     [](const OptimizeSettings& s) { return static_cast<double>(s.scanPoints); },
     3, 10000, true, true, "", 1},
    {"turn_time_tolerance_s", "the turn-time tolerance",
     [](const OptimizeSettings& s) { return s.turnTimeTolerance_s; },
     0, highestTurnTime_s, false, false, "s", 1},
};
// clang-format on

}  // namespace

std::span<const SettingDomain<OptimizeSettings>> optimizeSettingsDomain() {
  return optimizeTable;
}

SettingProblem settingsProblem(const OptimizeSettings& settings) {
  if (SettingProblem problem = settingsProblem(optimizeSettingsDomain(), settings);
      !problem.empty()) {
    return problem;
  }
  if (!(settings.from_s <= settings.to_s)) {
    return {"from_s", "the first turn time " + readableText(settings.from_s) +
                          " s is after the last " + readableText(settings.to_s) + " s"};
  }
  return settingsProblem(settings.search);
}

bool feasibleDesign(const SweepRow& row, bool propellantLeft) {
  const bool designed =
      row.verdict == Verdict::Converged || (!propellantLeft && row.verdict == Verdict::NoPropellantLeft);
  return designed && row.hasMission && std::isfinite(row.mission.sizing.SC_M_unrounded_kg);
}

OptimizeResult runOptimize(const StudyInputs& inputs, const OptimizeSettings& settings,
                           unsigned jobs, StudyObserver* observer) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  checkStudyInputs(inputs, settings.to_s, observer);
  OptimizeResult result =
      searchOptimum(inputs.history, inputs.vehicle, settings, jobs, progressOf(observer));
  result.settings = settings;
  result.thrustFile = inputs.history.name();
  result.vehicle = inputs.vehicle;
  return result;
}

}  // namespace ascent

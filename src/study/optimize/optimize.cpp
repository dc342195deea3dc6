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
  const bool designed = row.verdict == Verdict::Converged ||
                        (!propellantLeft && row.verdict == Verdict::NoPropellantLeft);
  return designed && row.hasMission && std::isfinite(row.mission.sizing.SC_M_unrounded_kg);
}

namespace {

// How far a turn time without a design is from one: the order of
// nearestToDesign.
int distanceFromDesign(const SweepRow& row) {
  switch (row.verdict) {
    case Verdict::Infeasible:
    case Verdict::NoPropellantLeft:
    case Verdict::Converged:  // a design (the optimum, when any)
      return 1;
    case Verdict::OutsideDesign:
      return 2;
    case Verdict::Suborbital:
      return 3;
    case Verdict::Escape:
      return 4;
    case Verdict::NotConverged:
      return 5;
    case Verdict::Unreachable:
      break;
  }
  return 6;
}

// The propellant a row is short of, kg: 0 for one that is not.
double shortOf(const SweepRow& row) {
  const PropellantShortfall s = propellantShortfall(row.mission);
  return row.hasMission ? s.eachBooster_kg + s.upperStage_kg : 0;
}

}  // namespace

std::size_t nearestToDesign(const std::vector<SweepRow>& rows) {
  std::size_t nearest = rows.size();
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (nearest == rows.size() || distanceFromDesign(rows[k]) < distanceFromDesign(rows[nearest]) ||
        (distanceFromDesign(rows[k]) == distanceFromDesign(rows[nearest]) &&
         shortOf(rows[k]) < shortOf(rows[nearest]))) {
      nearest = k;
    }
  }
  return nearest;
}
std::string_view constraintName(Constraint constraint) {
  switch (constraint) {
    case Constraint::DynamicPressure:
      return "dynamic_pressure";
    case Constraint::Propellant:
      return "propellant";
    case Constraint::None:
      break;
  }
  return "none";
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

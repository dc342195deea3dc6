#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ascent/study.h"
#include "study/limit_search.h"
#include "study/target_row.h"

namespace ascent {

std::string_view flightClassName(FlightClass flightClass) {
  switch (flightClass) {
    case FlightClass::Orbit:
      return "orbit";
    case FlightClass::Suborbital:
      return "suborbital";
    case FlightClass::Escape:
      return "escape";
    case FlightClass::Abandoned:
      return "abandoned";
    case FlightClass::Failed:
      break;
  }
  return "failed";
}

FlightClass classifyFlight(const MissionResult& result, double minimumPerigee_m) {
  switch (result.outcome) {
    case Outcome::Abandoned:
      return FlightClass::Abandoned;
    case Outcome::Failed:
      return FlightClass::Failed;
    case Outcome::Orbit:
      break;
  }
  // A hyperbolic trajectory has a negative semi-major axis, which puts its
  // "apogee" below its perigee.
  if (!std::isfinite(result.apogee_m) || !std::isfinite(result.perigee_m) ||
      !(result.apogee_m >= result.perigee_m)) {
    return FlightClass::Escape;
  }
  if (!(result.perigee_m >= minimumPerigee_m)) return FlightClass::Suborbital;
  return FlightClass::Orbit;
}

bool outsideDesign(const MissionResult& result) {
  if (result.outcome != Outcome::Orbit) return false;
  for (double value : {result.perigee_m, result.apogee_m, result.remainingPropellant_kg,
                       result.maxForce_N, result.sizing.SC_M_kg}) {
    if (!std::isfinite(value)) return true;
  }
  return !(result.sizing.SC_M_kg > 0);
}

LimitProbe probeOf(const MissionResult& result) {
  LimitProbe probe;
  probe.averageAltitude_m = result.averageAltitude_m;
  probe.reached = result.outcome == Outcome::Orbit && std::isfinite(result.averageAltitude_m) &&
                  result.averageAltitude_m >= 0;
  return probe;
}

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Converged:
      return "converged";
    case Verdict::OutsideDesign:
      return "outside-design";
    case Verdict::Unreachable:
      return "unreachable";
    case Verdict::NotConverged:
      break;
    case Verdict::Suborbital:
      return "suborbital";
    case Verdict::Escape:
      return "escape";
    case Verdict::Infeasible:
      return "infeasible";
  }
  return "not-converged";
}

std::string turnTimeProblem(double turnTime_s) {
  return domainProblem("the turn time", turnTime_s, lowestTurnTime_s, highestTurnTime_s, true,
                       false, "s");
}

namespace {

// clang-format off
constexpr SettingDomain<SearchSettings> targetDomain[] = {
    {"altitude_m", "the target altitude", [](const SearchSettings& s) { return s.altitude_m; },
     1e3, 1e8, true, false, "km", 1e3},
    {"tolerance_m", "the altitude tolerance", [](const SearchSettings& s) { return s.tolerance_m; },
     0, 1e6, false, false, "km", 1e3},
    {"max_missions", "the mission budget",
     [](const SearchSettings& s) { return static_cast<double>(s.maxMissions); },
     1, 100000, true, true, "", 1},
    {"first_guess_deg", "the first guess", [](const SearchSettings& s) { return s.firstGuess_deg; },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    {"min_perigee_m", "the minimum perigee",
     [](const SearchSettings& s) { return s.minimumPerigee_m; }, 0, 1e8, true, false, "km", 1e3},
    // In pascals on both doors, as every output writes the mission's peak.
    {"max_dynamic_pressure_Pa", "the dynamic-pressure limit",
     [](const SearchSettings& s) { return s.dynamicPressureLimit_Pa; }, 0, 1e9, false, false, "Pa",
     1, true, true},
};
// clang-format on

bool everyMissionEscaped(const TargetRun& target, const SearchSettings& settings) {
  return !target.missions.empty() &&
         std::all_of(target.missions.begin(), target.missions.end(), [&](const MissionResult& m) {
           return classifyFlight(m, settings.minimumPerigee_m) == FlightClass::Escape;
         });
}

}  // namespace

std::span<const SettingDomain<SearchSettings>> searchSettingsDomain() {
  return targetDomain;
}

std::string settingsProblem(const SearchSettings& settings) {
  return settingsProblem(searchSettingsDomain(), settings);
}

const MissionResult* TargetRun::answer() const {
  return search.best < missions.size() ? &missions[search.best] : nullptr;
}

TargetRun targetTurnTime(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& settings) {
  if (std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (std::string problem = settingsProblem(settings); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  TargetRun target;
  target.turnTime_s = turnTime_s;
  LimitSearchOptions options;
  options.targetAltitude_m = settings.altitude_m;
  options.tolerance_m = settings.tolerance_m;
  options.maxMissions = settings.maxMissions;
  options.firstGuess_deg = settings.firstGuess_deg;
  target.search = searchLimit(
      [&](double limit_deg) {
        RunRecord run;
        target.missions.push_back(flyMission(history, vehicle, turnTime_s, limit_deg, run));
        return probeOf(target.missions.back());
      },
      options);
  switch (target.search.verdict) {
    case LimitVerdict::Converged:
      // Only an orbit that stays above the minimum perigee is an answer.
      switch (classifyFlight(*target.answer(), settings.minimumPerigee_m)) {
        case FlightClass::Suborbital:
          target.verdict = Verdict::Suborbital;
          break;
        case FlightClass::Escape:
          target.verdict = Verdict::Escape;
          break;
        default:
          if (outsideDesign(*target.answer())) {
            target.verdict = Verdict::OutsideDesign;
          } else if (settings.limitsDynamicPressure() &&
                     !(target.answer()->missionPeaks.maxQ_Pa <= settings.dynamicPressureLimit_Pa)) {
            target.verdict = Verdict::Infeasible;
          } else {
            target.verdict = Verdict::Converged;
          }
          break;
      }
      break;
    case LimitVerdict::Unreachable:
      target.verdict = Verdict::Unreachable;
      break;
    case LimitVerdict::NotConverged:
      target.verdict = Verdict::NotConverged;
      break;
  }
  // The search takes an escape for "too low" and raises the limit: when
  // every mission escaped, no limit was too low, the vehicle is too strong.
  if (target.search.verdict != LimitVerdict::Converged && everyMissionEscaped(target, settings)) {
    target.verdict = Verdict::Escape;
  }
  return target;
}

SweepRow targetRow(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                   const SearchSettings& settings) {
  SweepRow row;
  row.turnTime_s = turnTime_s;
  const TargetRun target = targetTurnTime(history, vehicle, turnTime_s, settings);
  row.verdict = target.verdict;
  row.missions = target.missions.size();
  if (const MissionResult* answer = target.answer()) {
    row.hasMission = true;
    row.mission = *answer;
  }
  return row;
}

}  // namespace ascent

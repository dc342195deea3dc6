// One turn time targeted, and what every study does with its inputs first
// (study/targeting.h, ascent/target.h).
#include "study/targeting.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "study/limit_search.h"
#include "study/thread_pool.h"
#include "study/thrust_check.h"

namespace ascent {

LimitProbe probeOf(const MissionResult& result) {
  LimitProbe probe;
  probe.averageAltitude_m = result.averageAltitude_m;
  probe.reached = result.outcome == Outcome::Orbit && std::isfinite(result.averageAltitude_m) &&
                  result.averageAltitude_m >= 0;
  return probe;
}

namespace {

bool everyMissionEscaped(const TargetRun& target, const SearchSettings& settings) {
  return !target.missions.empty() &&
         std::all_of(target.missions.begin(), target.missions.end(), [&](const MissionResult& m) {
           return classifyFlight(m, settings.minimumPerigee_m) == FlightClass::Escape;
         });
}

}  // namespace

const MissionResult* TargetRun::answer() const {
  return search.best < missions.size() ? &missions[search.best] : nullptr;
}

TargetRun targetTurnTime(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& settings) {
  return targetWith(
      [&](double limit_deg) {
        RunRecord run;
        return flyMission(history, vehicle, turnTime_s, limit_deg, run);
      },
      turnTime_s, settings, settings.firstGuess_deg);
}

TargetRun targetWith(const std::function<MissionResult(double limit_deg)>& fly, double turnTime_s,
                     const SearchSettings& settings, double firstGuess_deg) {
  TargetRun target;
  target.turnTime_s = turnTime_s;
  LimitSearchOptions options;
  options.targetAltitude_m = settings.targetAltitude_m;
  options.tolerance_m = settings.tolerance_m;
  options.maxMissions = settings.maxMissions;
  options.firstGuess_deg = firstGuess_deg;
  target.search = searchLimit(
      [&](double limit_deg) {
        target.missions.push_back(fly(limit_deg));
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
          } else if (propellantShortfall(*target.answer()).any()) {
            target.verdict = Verdict::NoPropellantLeft;
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

const MissionResult* chosenMission(const TargetRun& target) {
  const MissionResult* mission = target.answer();
  if (mission == nullptr && !target.missions.empty()) mission = &target.missions.back();
  return mission;
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

std::size_t sweepTurnTimes(const ThrustHistory& history, const Vehicle& vehicle,
                           const std::vector<double>& turnTimes, const SearchSettings& search,
                           unsigned jobs, const std::function<void(const SweepRow&)>& onRow,
                           const std::function<bool()>& stop) {
  // Rows wait here from the moment they are done until they are delivered.
  std::vector<std::unique_ptr<SweepRow>> rows(turnTimes.size());
  return runInOrder(
      turnTimes.size(), jobs,
      [&](std::size_t i) {
        rows[i] = std::make_unique<SweepRow>(targetRow(history, vehicle, turnTimes[i], search));
      },
      [&](std::size_t i) {
        onRow(*rows[i]);
        rows[i].reset();
      },
      stop);
}

void checkStudyInputs(const StudyInputs& inputs, double turnTime_s, StudyObserver* observer,
                      std::string_view vehicleName) {
  refuseGrounded(inputs);
  const ThrustCheck check = checkThrustHistory(inputs.history, inputs.vehicle, turnTime_s);
  if (check.longRecordInterval && observer != nullptr) {
    observer->longRecordInterval(check.recordInterval_s);
  }
  refuseUnflyable(check, inputs.history,
                  vehicleName.empty() ? inputs.vehicleName() : std::string(vehicleName));
}

std::function<bool()> stopOf(StudyObserver* observer) {
  if (observer == nullptr) return {};
  return [observer] { return observer->stopRequested(); };
}

Progress progressOf(StudyObserver* observer) {
  if (observer == nullptr) return {};
  return [observer](std::size_t done, std::size_t total) { observer->progress(done, total); };
}

}  // namespace ascent

// The target study: the angle-of-attack limit whose mission has the wanted
// average orbit altitude at one turn time, found by a search on the limit.
// Every mission is the first of a run of its own, so it flies the same
// numbers as the dialogue's first mission with this turn time and limit.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ascent/fly.h"
#include "ascent/study.h"

namespace ascent {

// What one mission flown at a limit tells the search.
struct LimitProbe {
  // false: abandoned, failed or an absurd orbit; the search treats it as too low.
  bool reached = false;
  double averageAltitude_m = 0;
};

enum class LimitVerdict {
  Converged,     // the best trial is within the tolerance
  Unreachable,   // flat below the target: no limit reaches it
  NotConverged,  // the budget ran out, or the altitude jumps across the target
};

struct LimitTrial {
  double limit_deg;
  LimitProbe probe;
};

struct LimitSearchResult {
  LimitVerdict verdict = LimitVerdict::NotConverged;
  std::vector<LimitTrial> trials;  // in the order flown
  // Converged: the trial within the tolerance. Otherwise the reached trial
  // closest to the target (trials.size() when none reached an orbit).
  std::size_t best = 0;
  // The highest average altitude reached, and the lowest limit flown that
  // gave it.
  double highestAltitude_m = 0;
  double highestAt_deg = 0;
  // Unreachable: the altitude is flat at the highest limits (the limit no
  // longer binds), at flatAltitude_m from about flatFrom_deg on (the lowest
  // limit flown on it).
  bool flatTop = false;
  double flatAltitude_m = 0;
  double flatFrom_deg = 0;
  // NotConverged only: the bracket closed on a jump of the altitude across
  // the target instead of running out of missions.
  bool jumpsAcross = false;
};

// One turn time targeted: the search and the missions it flew.
struct TargetRun {
  double turnTime_s = 0;
  LimitSearchResult search;
  std::vector<MissionResult> missions;  // one per trial
  Verdict verdict = Verdict::NotConverged;
  // The mission of the answer (converged) or the closest one; null when no
  // mission reached an orbit.
  const MissionResult* answer() const;
};

// The search at one turn time, as every study that targets flies it, without
// checking its inputs (runTarget checks them).
TargetRun targetTurnTime(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& search);

struct TargetSettings {
  double turnTime_s = 0;  // the turn time targeted
  SearchSettings search;
};
// turn_time_s, then the search's domains (searchSettingsDomain).
SettingProblem settingsProblem(const TargetSettings& settings);

// A targeted turn time with what it was searched for.
struct TargetResult {
  TargetRun run;
  SearchSettings search;
  std::string thrustFile;  // the thrust history's name
  Vehicle vehicle;         // the vehicle flown
};

// Targets the orbit at the turn time. Throws InputError for settings outside
// their domain, then ThrustFileError or VehicleError when the history or the
// vehicle's values cannot be flown at the turn time, before any mission.
TargetResult runTarget(const StudyInputs& inputs, const TargetSettings& settings,
                       StudyObserver* observer = nullptr);

// The fields of a targeted turn time: the verdict, the search settings, the
// limit found, the highest and flat altitudes, the answer's mission and
// every mission flown (objects of flightSchema), the constraints set and the
// vehicle: what `target --json` prints and Python's to_dict() gives.
Schema<TargetResult> targetSchema();
Value targetValue(const TargetResult& target);

// {"dynamic_pressure_limit_Pa": the limit} when the search limits the peak
// dynamic pressure; null when it sets no constraint.
Value constraintsValue(const SearchSettings& search);

}  // namespace ascent

// What every study does with its inputs and a turn time: the checks before
// the first mission, and one turn time targeted as a row, the one form in
// which the sweep, the search for the optimum and the trades compare
// designs.
#pragma once

#include <functional>
#include <vector>

#include "ascent/study.h"
#include "ascent/target.h"

namespace ascent {

// Every check of a study's inputs, once, before its first mission: a vehicle
// file's vehicle that cannot leave the pad on this history (InputError), a
// history or vehicle that the booster phase cannot fly at `turnTime_s`
// (ThrustFileError, VehicleError; the latter when the default vehicle
// flies the history). A record interval longer than the flight assumes is
// told to `observer` (may be null). A refusal names the vehicle
// `vehicleName`, or inputs.vehicleName() when it is empty.
void checkStudyInputs(const StudyInputs& inputs, double turnTime_s, StudyObserver* observer,
                      std::string_view vehicleName = {});

// A mission as the limit search sees it: only an orbit with a finite, non-
// negative average altitude counts; anything else is "too low".
LimitProbe probeOf(const MissionResult& result);

// The search as targetTurnTime makes it, with missions flown by `fly` (a
// mission flown whole, or a prediction of its rest) from `firstGuess_deg`.
TargetRun targetWith(const std::function<MissionResult(double limit_deg)>& fly, double turnTime_s,
                     const SearchSettings& settings, double firstGuess_deg);

// The mission a search chose: its answer, else the last mission flown; null
// when none was flown.
const MissionResult* chosenMission(const TargetRun& target);

// The row of `turnTime_s`: its verdict, the missions its search flew, and
// its answer or closest mission when there is one.
SweepRow targetRow(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                   const SearchSettings& search);

// Targets every turn time, each from the same first guess, on `jobs`
// threads; `onRow` is called on the calling thread for every row in index
// order as soon as it and every row before it are done; `stop`, asked before
// each turn time is started, ends the sweep early. Returns the rows
// delivered.
std::size_t sweepTurnTimes(const ThrustHistory& history, const Vehicle& vehicle,
                           const std::vector<double>& turnTimes, const SearchSettings& search,
                           unsigned jobs, const std::function<void(const SweepRow&)>& onRow,
                           const std::function<bool()>& stop = {});

// The observer's stop as the thread pool asks it; none for no observer.
std::function<bool()> stopOf(StudyObserver* observer);
// The observer's progress; none for no observer.
Progress progressOf(StudyObserver* observer);

}  // namespace ascent

// A thrust file checked before a study flies it: a history that no mission
// can fly for a reason of the file (a record that is not two numbers, times
// going back, records ending before the turn time) is an input error, found
// once, not a physics verdict found in every mission of a search. The same
// failure with a vehicle whose values run the booster phase away (the
// mission clock leaving its range) is the vehicle's: the default vehicle
// flies that history.
#pragma once

#include <string>
#include <string_view>

#include "ascent/study.h"

namespace ascent {

struct ThrustCheck {
  // The reason, naming the record ("s1.dat record 3: time 1 s is earlier
  // than ..."); empty when a mission can fly the history.
  std::string problem;
  // The default vehicle flies the history at the same turn time: the
  // problem is the vehicle's, not the file's.
  bool vehicleAtFault = false;
  // A record interval longer than the flight assumes: a warning only.
  bool longRecordInterval = false;
  double recordInterval_s = 0;  // the nominal interval, when longRecordInterval
};

// Flies the booster phase of one mission at `turnTime_s` (the limit does not
// matter to it) and reports what the thrust history made of it.
ThrustCheck checkThrustHistory(const ThrustHistory& history, const Vehicle& vehicle,
                               double turnTime_s);

// A failed mission whose failure is its thrust file's (run-time error 106).
bool failedForThrustFile(const MissionResult& result);

// Throws for the problem of `check`: VehicleError naming `vehicleName` ("the
// vehicle file v.toml") when the vehicle is at fault, else ThrustFileError
// "cannot fly the thrust file: REASON". Returns when there is no problem.
void refuseUnflyable(const ThrustCheck& check, const ThrustHistory& history,
                     std::string_view vehicleName);

// What every study does before its first mission: checkThrustHistory, then
// refuseUnflyable. The Python module gives a study a Vehicle of no file.
void requireFlyable(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                    std::string_view vehicleName = "the vehicle");

// The same refusal for a mission flown that failed for its thrust records
// (failedForThrustFile): the default vehicle at its turn time decides whose
// fault it is.
void refuseFailedMission(const MissionResult& result, const ThrustHistory& history,
                         const Vehicle& vehicle, std::string_view vehicleName);

// Throws InputError for a vehicle (other than the default one) that cannot
// leave the pad on this history: its sea-level thrust at the first record
// below its lift-off weight. Names the vehicle file, or the vehicle.
void refuseGrounded(const StudyInputs& inputs);

}  // namespace ascent

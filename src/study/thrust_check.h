// A thrust file checked before a study flies it: a history that no mission
// can fly for a reason of the file (a record that is not two numbers, times
// going back, records ending before the turn time) is an input error, found
// once, not a physics verdict found in every mission of a search.
#pragma once

#include <string>

#include "ascent/ascent.h"

namespace ascent {

struct ThrustCheck {
  // The file's reason, naming the record ("s1.dat record 3: time 1 s is
  // earlier than ..."); empty when a mission can fly the history.
  std::string problem;
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

}  // namespace ascent

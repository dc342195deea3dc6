// The boosters as the thrust history drives them: each record read turns
// into the thrust and flow rates of all boosters for the interval that ends at
// it, and the propellant they burn is booked record by record.
//
// The vehicle's pitch kicks last one record interval (the vehicle's
// boosters.record_interval_s): a history sampled at another interval flies a
// different mission, and longer intervals are flagged as they are read. The
// vehicle's thrust and time scales apply to every record as it is read.
#pragma once

#include "mission/thrust_records.h"

namespace ascent {

struct Mission;

// The records of one mission as the booster phase uses them.
struct BoosterThrustReader {
  explicit BoosterThrustReader(RecordSource& source) : source(source) {}
  RecordSource& source;
  int recordsRead = 0;
  double currentTime = 0;            // s, the record read last
  double currentThrust = 0;          // N
  double previousTime = 0;           // s, the record before it (0 s, 0 N before the first)
  double previousThrust = 0;         // N
  double boosterPropellantUsed = 0;  // kg, burned by one booster up to currentTime
  double turnTime = -1;              // s, while the turn is held: names it when the records end
};

// Reads the first record: dt is its time, the rates ramp both boosters from 0.
void firstThrustRecord(Mission& m, BoosterThrustReader& reader);

// Reads the next record: dt is the interval to it, the rates those of the
// interval. A record earlier than the one before it is a run-time error.
void nextThrustRecord(Mission& m, BoosterThrustReader& reader);

// Flies `timeLeft` (s) with one step per record, the last step cut at the
// requested time. Entered at currentTime; leaves in s.dt the unflown part of
// the current interval and returns the time left minus that part.
double flyThrustRecords(Mission& m, BoosterThrustReader& reader, double timeLeft);

}  // namespace ascent

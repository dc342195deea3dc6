// The booster thrust file "s1.dat": one record per line, the mission time (s)
// and the vacuum thrust of ONE booster (N) at that time; the thrust is 0 at
// time 0 and varies linearly between records. Each record read turns into the
// thrust and flow rates of both boosters for the interval that ends at it.
#pragma once

#include <memory>

#include "app/run_context.h"

namespace ascent {

constexpr const char* boosterThrustFileName = "s1.dat";
constexpr double boosterExhaustVelocity = 2756.6;  // m/s, flow = thrust / 2756.6
constexpr double recordInterval = 0.986832971065;  // s, nominal time between records
constexpr double recordIntervalLimit = 0.986833971065;  // s, longest interval without a warning

struct BoosterThrustReader {
  std::unique_ptr<InStream> file;
  int recordsRead = 0;
  double currentTime = 0;      // s, the record read last
  double currentThrust = 0;    // N
  double previousTime = 0;     // s, the record before it (0 s, 0 N before the first)
  double previousThrust = 0;   // N
  double boosterPropellantUsed = 0;  // kg, burned by one booster up to currentTime
};

void openThrustFile(RunContext& run, BoosterThrustReader& reader);
void closeThrustFile(BoosterThrustReader& reader);

// Reads the first record: dt is its time, the rates ramp both boosters from 0.
void firstThrustRecord(RunContext& run, BoosterThrustReader& reader);

// Reads the next record: dt is the interval to it, the rates those of the interval.
void nextThrustRecord(RunContext& run, BoosterThrustReader& reader);

// Flies timeLeft with one step per record, the last step cut at the requested
// time. Entered at currentTime; on return dt holds the unflown part of the
// current interval and timeLeft minus that part.
void flyThrustRecords(RunContext& run, BoosterThrustReader& reader);

}  // namespace ascent

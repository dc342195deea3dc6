// The text of a mission's summary: the orbit, velocity budget and peak loads,
// the constants of an upper stage re-sized from the flight, and the
// recommended angle of attack for the next try.
#pragma once

#include <string>

#include "ascent/ascent.h"
#include "report/streams.h"

namespace ascent {

// The degree, plus-minus and superscript-two signs in the report's code page.
struct Signs {
  std::string degree, plusMinus, squared;
};

// ISO 8859-1 codes in a report file, IBM PC code page 437 on the console, or
// UTF-8 for either when asked for.
Signs fileSigns();
Signs consoleSigns();
Signs utf8Signs();

// The warning that the thrust file's records are further apart than the
// booster model allows, with its end of line, into `line`.
void longRecordIntervalLine(std::string& line, double recordInterval_s);

// `withRunPeaks`: a report file also shows the run's peak dynamic pressure
// and acceleration. `line` is scratch space.
void writeSummary(OutStream& report, const MissionResult& result, const Signs& signs,
                  bool withRunPeaks, std::string& line);

}  // namespace ascent

// The run context: the flight state, the atmosphere tables and every stream of
// one run of the program. The flight and mission procedures take it by
// reference; nothing of a run lives in globals.
#pragma once

#include <memory>
#include <string>

#include "physics/standard_atmosphere.h"
#include "report/streams.h"
#include "physics/flight_state.h"

namespace ascent {

struct RunContext {
  RunContext(InStream& standardInput, OutStream& standardOutput, FileSystem& files)
      : input(standardInput), standardOutput(standardOutput), files(files) {}

  FlightState state;
  AtmosphereTables atmosphereTables;

  InStream& input;            // answers to the prompts
  OutStream& standardOutput;  // the console, and the report when no file is named
  FileSystem& files;          // the report, data and booster thrust files

  OutStream* report = nullptr;   // the named file or standardOutput
  OutStream* console = nullptr;  // always standardOutput
  std::unique_ptr<OutStream> reportFile;
  std::unique_ptr<OutStream> speedFile;
  std::unique_ptr<OutStream> heightFile;
  std::unique_ptr<OutStream> accelFile;
  std::unique_ptr<OutStream> dynpresFile;

  bool inputIsTerminal = false;  // the terminal echoes the answers and their line ends
  OutStream* standardError = nullptr;  // the error line's way out when standard output fails

  // From the core stage on, a vehicle that falls back below the surface or
  // burns more than its own mass abandons its mission (mission/mission_step.h).
  bool watchMission = false;

  std::string line;  // scratch for one report line, reused so a step allocates nothing
};

}  // namespace ascent

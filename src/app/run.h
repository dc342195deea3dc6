// The run driver: start-up dialogue, the mission loop, closing, and the single
// exit path of a run-time error.
#pragma once

#include <string>
#include <string_view>

#include "app/run_context.h"
#include "mission/thrust_records.h"

namespace ascent {

struct RunOptions {
  bool handleSignals = false;    // install the interrupt and floating-point trap handlers
  bool inputIsTerminal = false;  // standard input is a terminal that echoes on standard output
  bool utf8 = false;             // degree, plus-minus and squared signs as UTF-8
  OutStream* standardError = nullptr;  // also takes the error line when standard output fails
  const Vehicle* vehicle = nullptr;    // the vehicle flown; nullptr: the default vehicle
  std::string thrustFile = boosterThrustFileName;  // read anew for every mission
};

// Runs the whole program on the given streams and returns its exit status: 0
// after a negative turn time or the end of the input, the run-time error
// number after a failure.
int runProgram(InStream& standardInput, OutStream& standardOutput, FileSystem& files,
               const RunOptions& options);

void startRun(RunContext& run);
void missionLoop(RunContext& run);
void closeRun(RunContext& run);

// The single exit path of a failure: flushes and closes every stream already
// opened, writes "Runtime error N: reason" to standard output (and to
// standard error when standard output has failed) and returns N. A pending
// interrupt replaces `code` and `reason` with its own. Safe to call from the
// floating-point trap and out-of-memory handlers.
int stopRun(RunContext& run, int code, std::string_view reason) noexcept;

}  // namespace ascent

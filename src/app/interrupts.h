// Interrupts (SIGINT, SIGTERM, SIGHUP), floating-point traps (SIGFPE) and
// memory exhaustion all end the run through the single exit path. An
// interrupt only raises a flag that the run checks at safe points
// (report/interrupt_flag.h); a floating-point trap and a failed allocation
// are synchronous and end the run at once.
#pragma once

#include <csignal>

#include "app/signal_scope.h"
#include "mission/floating_point.h"
#include "report/interrupt_flag.h"

namespace ascent {

struct RunContext;

// From now on a failed allocation writes "Runtime error 12: out of memory" and
// ends the program with status 12: through the run's exit path once
// FaultHandlers have named the run, straight to the standard
// descriptors before. Called first thing in main.
void installOutOfMemoryHandler();
// From now on a failed allocation is a design command's: "ascent: out of
// memory" on standard error, temporary files removed, status 3.
void reportOutOfMemoryAsCommand();

// The dialogue's signals while it runs: SIGINT, SIGTERM and SIGHUP raise the
// interrupt flag, SIGPIPE and SIGXFSZ are ignored, and the traps for division
// by zero, invalid operations and overflow are enabled, their SIGFPE ending
// the run at once; `run` is the context whose streams the trap and
// out-of-memory handlers flush. All undone when it ends.
class FaultHandlers {
 public:
  explicit FaultHandlers(RunContext& run);
  ~FaultHandlers();
  FaultHandlers(const FaultHandlers&) = delete;
  FaultHandlers& operator=(const FaultHandlers&) = delete;

 private:
  SignalScope interrupts_;
  SignalScope writeFailures_;
  SignalScope trap_;
};

}  // namespace ascent

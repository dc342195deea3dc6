// Interrupts (SIGINT, SIGTERM, SIGHUP), floating-point traps (SIGFPE) and
// memory exhaustion all end the run through the single exit path. An
// interrupt only raises a flag that the run checks at safe points
// (report/interrupt_flag.h); a floating-point trap and a failed allocation
// are synchronous and end the run at once.
#pragma once

#include <csignal>

#include "mission/floating_point.h"
#include "report/interrupt_flag.h"

namespace ascent {

struct RunContext;

// From now on a failed allocation writes "Runtime error 12: out of memory" and
// ends the program with status 12: through the run's exit path once
// installFaultHandlers has named the run, straight to the standard
// descriptors before. Called first thing in main.
void installOutOfMemoryHandler();
// From now on a failed allocation is a design command's: "ascent: out of
// memory" on standard error, temporary files removed, status 3.
void reportOutOfMemoryAsCommand();

// Installs the SIGINT/SIGTERM/SIGHUP/SIGFPE handlers (an interrupt that the
// parent ignores stays ignored; SIGPIPE and SIGXFSZ are ignored) and enables
// the traps for division by zero, invalid operations and overflow; `run` is
// the context whose streams the trap and out-of-memory handlers flush. Undone
// by uninstallFaultHandlers.
void installFaultHandlers(RunContext& run);
void uninstallFaultHandlers();

}  // namespace ascent

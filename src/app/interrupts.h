// Interrupts (SIGINT, SIGTERM, SIGHUP) and floating-point traps (SIGFPE) both end the run
// through the single exit path. An interrupt only raises a flag that the run
// checks at safe points (after every table row, and when a read is interrupted),
// so that no stream is flushed in the middle of an update; a floating-point trap
// is synchronous and is handled at once.
#pragma once

#include <csignal>

#include "mission/floating_point.h"
#include "report/interrupt_flag.h"

namespace ascent {

struct RunContext;

// Installs the SIGINT/SIGTERM/SIGHUP/SIGFPE handlers (SIGPIPE and SIGXFSZ ignored) and enables the traps for division
// by zero, invalid operations and overflow; `run` is the context whose streams
// the trap handler flushes. Undone by uninstallFaultHandlers.
void installFaultHandlers(RunContext& run);
void uninstallFaultHandlers();

}  // namespace ascent

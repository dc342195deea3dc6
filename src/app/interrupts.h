// Interrupts (SIGINT, SIGTERM, SIGHUP) and floating-point traps (SIGFPE) both end the run
// through the single exit path. An interrupt only raises a flag that the run
// checks at safe points (after every table row, and when a read is interrupted),
// so that no stream is flushed in the middle of an update; a floating-point trap
// is synchronous and is handled at once.
#pragma once

#include <cfenv>
#include <csignal>

namespace ascent {

struct RunContext;

// Throws the RunError of a pending interrupt (status 128 + signal), if any.
void checkInterrupt();

// Installs the SIGINT/SIGTERM/SIGFPE handlers and enables the traps for division
// by zero, invalid operations and overflow; `run` is the context whose streams
// the trap handler flushes. Undone by uninstallFaultHandlers.
void installFaultHandlers(RunContext& run);
void uninstallFaultHandlers();

// Runs `body` with floating-point traps suspended and the flags it raised
// discarded (text-to-number conversion may overflow or underflow on purpose).
template <typename F>
auto withoutTraps(F&& body) {
  std::fenv_t saved;
  std::feholdexcept(&saved);
  struct Restore {
    std::fenv_t* env;
    ~Restore() {
      std::feclearexcept(FE_ALL_EXCEPT);
      std::fesetenv(env);
    }
  } restore{&saved};
  return body();
}
}  // namespace ascent

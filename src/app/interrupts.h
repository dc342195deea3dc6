// Interrupts (SIGINT, SIGTERM, SIGHUP), floating-point traps (SIGFPE) and
// memory exhaustion all end the run through the single exit path. An
// interrupt only raises a flag that the run checks at safe points (after every
// table row, before every read of input, when a read, write, open or wait is
// interrupted, and once more after the last flush), so that no stream is
// flushed in the middle of an update and no interrupt that arrived is lost; a
// floating-point trap and a failed allocation are synchronous and end the run at once.
#pragma once

#include <cfenv>
#include <csignal>

namespace ascent {

struct RunContext;

// Throws the RunError of a pending interrupt (status 128 + signal), if any.
void checkInterrupt();

// The pending interrupt's signal number, or 0.
int pendingInterrupt() noexcept;

// "interrupted by SIGINT" and so on: the reason of an interrupt's run-time error.
const char* interruptReason(int signal) noexcept;

// Waits until `fd` is ready for `events` (poll(2) events), or throws the
// RunError of an interrupt. An interrupt that arrives before the wait begins
// ends it as surely as one that arrives during it.
void awaitDescriptor(int fd, short events);

// From now on a failed allocation writes "Runtime error 12: out of memory" and
// ends the program with status 12: through the run's exit path once
// installFaultHandlers has named the run, straight to the standard
// descriptors before. Called first thing in main.
void installOutOfMemoryHandler();

// Installs the SIGINT/SIGTERM/SIGHUP/SIGFPE handlers (an interrupt that the
// parent ignores stays ignored) and enables the traps for division by zero,
// invalid operations and overflow; `run` is the context whose streams the trap
// and out-of-memory handlers flush. Undone by uninstallFaultHandlers.
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

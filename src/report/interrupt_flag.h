// The signal bridge: the one global of the program. A signal handler only
// records the interrupt (SIGINT, SIGTERM, SIGHUP) here; the run checks it at
// safe points (after every table row and its data lines, and whenever a read
// waits or returns), so that no stream is flushed in the middle of an update.
#pragma once

namespace ascent {

// Records an interrupt by `signal`; async-signal-safe.
void noteInterrupt(int signal) noexcept;

// Forgets a recorded interrupt (a new run starts).
void clearInterrupt() noexcept;

// Throws the RunError of a recorded interrupt (status 128 + signal), if any.
void checkInterrupt();

}  // namespace ascent

// The signal bridge: the one global of the program. A signal handler only
// records the interrupt (SIGINT, SIGTERM, SIGHUP) here; the run checks it at
// safe points (after every table row and its data lines, before every read of
// input, when a read, write, open or wait is interrupted, and once more after
// the last flush), so that no stream is flushed in the middle of an update and
// no interrupt that arrived is lost.
#pragma once

namespace ascent {

// Records an interrupt by `signal`; async-signal-safe. The first one recorded
// is the one reported.
void noteInterrupt(int signal) noexcept;

// Forgets a recorded interrupt (a new run starts).
void clearInterrupt() noexcept;

// Throws the Error of a recorded interrupt (status 128 + signal), if any.
void checkInterrupt();

// The recorded interrupt's signal number, or 0.
int pendingInterrupt() noexcept;

// "interrupted by SIGINT" and so on: the reason of an interrupt's run-time error.
const char* interruptReason(int signal) noexcept;

// Waits until `fd` is ready for `events` (poll(2) events), or throws the
// Error of an interrupt. An interrupt that arrives before the wait begins
// ends it as surely as one that arrives during it.
void awaitDescriptor(int fd, short events);

}  // namespace ascent

#include "report/interrupt_flag.h"

#include <poll.h>
#include <signal.h>

#include <cerrno>
#include <csignal>

#include "ascent/errors.h"

namespace ascent {

namespace {
volatile std::sig_atomic_t interruptSignal = 0;
}

void noteInterrupt(int signal) noexcept {
  if (interruptSignal == 0) interruptSignal = signal;
}

void clearInterrupt() noexcept {
  interruptSignal = 0;
}

void checkInterrupt() {
  const int signal = interruptSignal;
  if (signal == 0) return;
  throw Error(errorCode::interruptedBy(signal), interruptReason(signal));
}

int pendingInterrupt() noexcept {
  return interruptSignal;
}

const char* interruptReason(int signal) noexcept {
  return signal == SIGINT    ? "interrupted by SIGINT"
         : signal == SIGTERM ? "interrupted by SIGTERM"
                             : "interrupted by SIGHUP";
}

void awaitDescriptor(int fd, short events) {
  // With the interrupts blocked, one that came before is seen by the test of
  // the flag, and ppoll unblocks them atomically for the wait itself.
  sigset_t interrupts, previous;
  sigemptyset(&interrupts);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
  sigprocmask(SIG_BLOCK, &interrupts, &previous);
  while (interruptSignal == 0) {
    pollfd ready{fd, events, 0};
    const int n = ::ppoll(&ready, 1, nullptr, &previous);
    if (n > 0 || (n < 0 && errno != EINTR)) break;  // a failed poll leaves it to the read or write
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  checkInterrupt();
}

}  // namespace ascent

#include "report/interrupt_flag.h"

#include <csignal>
#include <string>

#include "mission/run_error.h"

namespace ascent {

namespace {
volatile std::sig_atomic_t interruptSignal = 0;
}

void noteInterrupt(int signal) noexcept { interruptSignal = signal; }

void clearInterrupt() noexcept { interruptSignal = 0; }

void checkInterrupt() {
  if (interruptSignal == 0) return;
  const int signal = interruptSignal;
  const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
  throw RunError(128 + signal, std::string("interrupted by ") + name);
}

}  // namespace ascent

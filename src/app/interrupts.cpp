#include "app/interrupts.h"

#include <unistd.h>

#include <cfenv>
#include <string>

#include "app/run.h"
#include "mission/run_error.h"

namespace ascent {

namespace {

// Signal handlers can reach the run only through these two.
volatile std::sig_atomic_t interruptSignal = 0;
RunContext* trappedRun = nullptr;

struct sigaction previousInterrupt, previousTerminate, previousHangUp, previousFault;
struct sigaction previousBrokenPipe, previousFileTooLarge;

void onInterrupt(int signal) { interruptSignal = signal; }

void onFloatingPointTrap(int, siginfo_t* info, void*) {
  int code = errorCode::invalidOperation;
  const char* reason = "floating-point invalid operation";
  switch (info->si_code) {
    case FPE_FLTDIV:
    case FPE_INTDIV:
      code = errorCode::divisionByZero;
      reason = "floating-point division by zero";
      break;
    case FPE_FLTOVF:
      code = errorCode::overflow;
      reason = "floating-point overflow";
      break;
    default:
      break;
  }
  if (trappedRun != nullptr) code = stopRun(*trappedRun, code, reason);
  ::_exit(code);
}

constexpr int trappedExceptions = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

}  // namespace

void checkInterrupt() {
  if (interruptSignal == 0) return;
  int signal = interruptSignal;
  const char* name = signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
  throw RunError(128 + signal, std::string("interrupted by ") + name);
}

void installFaultHandlers(RunContext& run) {
  trappedRun = &run;
  interruptSignal = 0;

  struct sigaction interrupt {};
  interrupt.sa_handler = onInterrupt;
  sigemptyset(&interrupt.sa_mask);
  interrupt.sa_flags = 0;  // no SA_RESTART: a blocked read returns and sees the flag
  sigaction(SIGINT, &interrupt, &previousInterrupt);
  sigaction(SIGTERM, &interrupt, &previousTerminate);
  sigaction(SIGHUP, &interrupt, &previousHangUp);

  // A closed pipe or an exceeded file-size limit must fail the write (EPIPE,
  // EFBIG) and take the exit path, not kill the program with the report unflushed.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previousBrokenPipe);
  sigaction(SIGXFSZ, &ignore, &previousFileTooLarge);

  struct sigaction fault {};
  fault.sa_sigaction = onFloatingPointTrap;
  sigemptyset(&fault.sa_mask);
  fault.sa_flags = SA_SIGINFO;
  sigaction(SIGFPE, &fault, &previousFault);

  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(trappedExceptions);
}

void uninstallFaultHandlers() {
  fedisableexcept(trappedExceptions);
  std::feclearexcept(FE_ALL_EXCEPT);
  sigaction(SIGINT, &previousInterrupt, nullptr);
  sigaction(SIGTERM, &previousTerminate, nullptr);
  sigaction(SIGHUP, &previousHangUp, nullptr);
  sigaction(SIGPIPE, &previousBrokenPipe, nullptr);
  sigaction(SIGXFSZ, &previousFileTooLarge, nullptr);
  sigaction(SIGFPE, &previousFault, nullptr);
  trappedRun = nullptr;
}

}  // namespace ascent

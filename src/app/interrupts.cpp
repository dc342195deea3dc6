#include "app/interrupts.h"

#include <unistd.h>

#include <cfenv>
#include <string>

#include "app/run.h"
#include "mission/run_error.h"

namespace ascent {

namespace {

// The floating-point trap handler reaches the run only through this.
RunContext* trappedRun = nullptr;

struct sigaction previousInterrupt, previousTerminate, previousHangUp, previousFault;
struct sigaction previousBrokenPipe, previousFileTooLarge;

void onInterrupt(int signal) { noteInterrupt(signal); }

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


}  // namespace

void installFaultHandlers(RunContext& run) {
  trappedRun = &run;
  clearInterrupt();

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
  feenableexcept(faultExceptions);
}

void uninstallFaultHandlers() {
  fedisableexcept(faultExceptions);
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

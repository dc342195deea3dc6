#include "app/interrupts.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cfenv>
#include <new>
#include <string_view>

#include "app/exit_status.h"
#include "app/gnuplot.h"
#include "app/run.h"
#include "ascent/errors.h"
#include "files/output_set.h"

namespace ascent {

namespace {

// The floating-point trap and out-of-memory handlers reach the run only through this.
RunContext* trappedRun = nullptr;
bool commandsOutOfMemory = false;

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

// Writes all of `text` to `fd`; false when any of it could not be written.
bool writeFully(int fd, std::string_view text) noexcept {
  while (!text.empty()) {
    ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// operator new calls this instead of throwing: a throw needs memory too, and
// with none left even the exception could not be built.
void onOutOfMemory() {
  constexpr int code = errorCode::outOfMemory;
  if (commandsOutOfMemory) {
    // A design command: the reason to standard error, never into a data stream.
    constexpr std::string_view reason = "ascent: out of memory\n";
    endGnuplot();
    removeTemporaryFiles();
    (void)writeFully(STDERR_FILENO, reason);
    ::_exit(exitStatus::failure);
  }
  if (trappedRun != nullptr) ::_exit(stopRun(*trappedRun, code, "out of memory"));
  constexpr std::string_view message = "Runtime error 12: out of memory\n";
  if (!writeFully(STDOUT_FILENO, message)) (void)writeFully(STDERR_FILENO, message);
  ::_exit(code);
}

}  // namespace

void reportOutOfMemoryAsCommand() {
  commandsOutOfMemory = true;
}

void installOutOfMemoryHandler() {
  std::set_new_handler(onOutOfMemory);
}

FaultHandlers::FaultHandlers(RunContext& run)
    : interrupts_({SIGINT, SIGTERM, SIGHUP}, OnSignal::raiseFlag),
      writeFailures_({SIGPIPE, SIGXFSZ}, OnSignal::ignore),
      trap_(SIGFPE, onFloatingPointTrap) {
  trappedRun = &run;
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(faultExceptions);
}

FaultHandlers::~FaultHandlers() {
  fedisableexcept(faultExceptions);
  std::feclearexcept(FE_ALL_EXCEPT);
  trappedRun = nullptr;
}

}  // namespace ascent

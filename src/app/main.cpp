// ascent: interactive simulation of a three-stage launch vehicle's ascent.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "app/interrupts.h"
#include "app/run.h"
#include "report/streams.h"

namespace {

// A standard descriptor that the parent closed is taken by /dev/null, opened
// the wrong way round: the first file the run opens must not become standard
// output, and using the descriptor still fails with EBADF as a closed one does.
void holdClosedStandardDescriptors() {
  for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int held = ::open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
    if (held >= 0 && held != fd) {
      ::dup2(held, fd);
      ::close(held);
    }
  }
}

}  // namespace

int main() {
  ascent::installOutOfMemoryHandler();
  holdClosedStandardDescriptors();
  ascent::FdInStream standardInput(STDIN_FILENO, "standard input", false);
  ascent::FdOutStream standardOutput(STDOUT_FILENO, "standard output", false);
  ascent::FdOutStream standardError(STDERR_FILENO, "standard error", false, 512);
  ascent::RealFileSystem files;
  ascent::RunOptions options;
  options.handleSignals = true;
  // A terminal on both sides echoes the answers on the screen, between the prompts.
  options.inputIsTerminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
  if (options.inputIsTerminal) standardInput.echoesOn(standardOutput);
  options.standardError = &standardError;
  return ascent::runProgram(standardInput, standardOutput, files, options);
}

// ascent: simulation of a three-stage launch vehicle's ascent, as an
// interactive dialogue or as design commands.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

#include "app/cli.h"
#include "app/interrupts.h"

namespace {

// A standard descriptor that the parent closed is taken by /dev/null, opened
// the wrong way round: the first file the program opens must not become
// standard output, and using the descriptor still fails with EBADF as a
// closed one does.
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

// Before the start-up of the C++ runtime linked into the program, which
// allocates too: a failed allocation is run-time error 12 from the first one on.
__attribute__((constructor(101))) void handleOutOfMemoryFromTheStart() {
  ascent::installOutOfMemoryHandler();
}

}  // namespace

int main(int argc, char** argv) {
  holdClosedStandardDescriptors();
  return ascent::runCommandLine(argc, argv);
}

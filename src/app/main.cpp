// ascent: interactive simulation of a three-stage launch vehicle's ascent.
#include <unistd.h>

#include "app/run.h"
#include "report/streams.h"

int main() {
  ascent::FdInStream standardInput(STDIN_FILENO, "standard input", false);
  ascent::FdOutStream standardOutput(STDOUT_FILENO, "standard output", false);
  ascent::RealFileSystem files;
  ascent::RunOptions options;
  options.handleSignals = true;
  options.inputIsTerminal = ::isatty(STDIN_FILENO) == 1;
  return ascent::runProgram(standardInput, standardOutput, files, options);
}

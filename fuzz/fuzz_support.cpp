#include "fuzz_support.h"

#include <cfenv>
#include <cstdio>
#include <cstdlib>

#include "app/run.h"
#include "support/thrust_curve.h"

namespace ascent::fuzz {

namespace {

[[noreturn]] void fail(const char* what, const Run& run) {
  std::fprintf(stderr, "fuzz check failed: %s (exit status %d)\n", what, run.status);
  std::abort();
}

// The report of the run: the file that is none of the program's other files,
// or standard output.
const std::string& reportOf(const Run& run) {
  for (const auto& [name, contents] : run.files.memory.files) {
    if (name != "s1.dat" && name != "speed.dat" && name != "height.dat" && name != "accel.dat" &&
        name != "dynpres.dat") {
      return contents;
    }
  }
  return run.standardOutput;
}

// Whether a runaway stopped the last mission of the run in a place known to
// run long: the core phase (booster separation written, core separation not)
// or the upper-stage speed loops (core separation written, cutoff not). Told
// apart by the event lines after the last turn-time prompt, which is in the
// report whether echoed into a file or written on the console.
bool knownRunaway(const Run& run) {
  const std::string& report = reportOf(run);
  const std::size_t prompt = report.rfind("Turn time (s)? ");
  if (prompt == std::string::npos) return false;
  auto written = [&](const char* line) {
    return report.find(std::string("\n") + line, prompt) != std::string::npos;
  };
  if (written("Booster seperation!") && !written("Core Separation!")) return true;
  if (written("Core Separation!") && !written("Upper Stage Engine Cutoff!\n")) return true;
  return false;
}

}  // namespace

const std::string& flyableThrustFile() {
  static const std::string contents = testing::thrustFile(testing::thrustCurve());
  return contents;
}

void checkTraps() {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  if (raised == 0) return;
  // Cleared so that the exit path can still write its message. When several
  // are up, the invalid operation is most likely the consequence of an
  // infinity that an earlier division by zero or overflow produced.
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_DIVBYZERO) {
    throw Error(errorCode::divisionByZero, "floating-point division by zero");
  }
  if (raised & FE_OVERFLOW) throw Error(errorCode::overflow, "floating-point overflow");
  throw Error(errorCode::invalidOperation, "floating-point invalid operation");
}

void runAndCheck(const std::string& input, const std::string& thrustFile, Run& run) {
  run.files.memory.files["s1.dat"] = thrustFile;
  StringInStream inputBytes(input);
  TrapCheckingInStream standardInput(inputBytes);
  StringOutStream output(run.standardOutput);
  TrapCheckingOutStream standardOutput(output, run.files.written);
  std::feclearexcept(FE_ALL_EXCEPT);
  run.status = runProgram(standardInput, standardOutput, run.files, RunOptions{});
  const int raisedAtEnd = std::fetestexcept(FE_ALL_EXCEPT & ~FE_INEXACT);
  std::feclearexcept(FE_ALL_EXCEPT);
  // ASCENT_FUZZ_VERBOSE=1 shows what a run did when an input is replayed.
  static const bool verbose = std::getenv("ASCENT_FUZZ_VERBOSE") != nullptr;
  if (verbose) {
    std::fprintf(stderr, "exit status %d, flags raised at the end %#x; standard output:\n%s\n",
                 run.status, raisedAtEnd, run.standardOutput.c_str());
  }

  switch (run.status) {
    case 0:
    case errorCode::badName:
    case errorCode::unusableData:
    case errorCode::divisionByZero:
    case errorCode::overflow:
    case errorCode::invalidOperation:
      break;
    case runawayStatus:
      if (!knownRunaway(run)) fail("runaway flight", run);
      return;
    default:
      fail("unexpected exit status", run);
  }
  if (run.status != 0) {
    const std::string start = "Runtime error " + std::to_string(run.status) + ": ";
    const std::size_t at = run.standardOutput.rfind(start);
    if (at == std::string::npos || (at != 0 && run.standardOutput[at - 1] != '\n') ||
        run.standardOutput.back() != '\n') {
      fail("a failure without its run-time error line", run);
    }
  }
  auto s1 = run.files.memory.files.find("s1.dat");
  if (s1 == run.files.memory.files.end() || s1->second != thrustFile) {
    fail("s1.dat was changed", run);
  }
}

}  // namespace ascent::fuzz

#include "app/run.h"

#include <charconv>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <string>

#include "physics/standard_atmosphere.h"
#include "app/interrupts.h"
#include "app/output_files.h"
#include "mission/number_reader.h"
#include "app/prompt.h"
#include "mission/run_error.h"
#include "report/table.h"
#include "mission/mission.h"

namespace ascent {

namespace {

// Code page and character codes of the degree, plus-minus and superscript-two
// signs: ISO 8859-1 in a report file, IBM PC code page 437 on the console.
struct SpecialCharacters {
  unsigned char degree, plusMinus, squared;
};
constexpr SpecialCharacters fileCharacters{176, 177, 178};
constexpr SpecialCharacters consoleCharacters{248, 241, 253};

}  // namespace

void startRun(RunContext& run) {
  FlightState& s = run.state;
  s.previousAlphaMax = 0;
  s.previousAverageAltitude = 0;
  s.maxAccel = 0;
  s.maxAccelTime = 0;
  s.maxQ = 0;
  s.maxQTime = 0;

  run.standardOutput.write("Enter output filename (return is standard output): ");
  run.standardOutput.flush();
  readLine(run.input, s.reportName, maxReportNameLength);
  openOutputFiles(run);
  run.console = &run.standardOutput;
  s.dataFiles = !s.reportName.empty();

  const SpecialCharacters& characters = s.dataFiles ? fileCharacters : consoleCharacters;
  s.degreeChar = characters.degree;
  s.plusMinusChar = characters.plusMinus;
  s.squaredChar = characters.squared;

  initAtmosphere(run.atmosphereTables);
  writeTableHeading(run);
}

void missionLoop(RunContext& run) {
  FlightState& s = run.state;
  for (;;) {
    // The end of the input ends the run as a negative turn time does: there
    // is no one left to answer.
    if (!promptReal(run, "Turn time (s)? ", s.turnTime)) return;
    if (s.turnTime >= 1) {
      flyMission(run);
    } else if (s.turnTime >= 0) {
      run.report->write("Error! Turn time must be greater than one second.\n");
    } else {
      return;
    }
  }
}

void closeRun(RunContext& run) {
  // Report, console, then the data files, each flushed and closed with a check.
  run.report->close();
  run.console->flush();
  for (auto* file : {&run.speedFile, &run.heightFile, &run.accelFile, &run.dynpresFile}) {
    if (*file) (*file)->close();
  }
}

int stopRun(RunContext& run, int code, std::string_view reason) noexcept {
  // An interrupt that came before this message is how the run ends, whatever
  // else failed meanwhile: the parent that sent it learns that it was obeyed.
  if (int signal = pendingInterrupt(); signal != 0) {
    code = 128 + signal;
    reason = interruptReason(signal);
  }
  for (OutStream* stream : {run.reportFile.get(), run.speedFile.get(), run.heightFile.get(),
                            run.accelFile.get(), run.dynpresFile.get()}) {
    if (stream != nullptr) stream->abandon();
  }
  run.standardOutput.abandon();

  // Built in a fixed buffer: this also runs inside the floating-point trap handler.
  char message[512];
  std::size_t length = 0;
  auto append = [&](std::string_view text) {
    std::size_t n = std::min(text.size(), sizeof message - 1 - length);
    std::memcpy(message + length, text.data(), n);
    length += n;
  };
  // The message starts a line of its own. The screen's line state includes
  // what a terminal echoed of the input (streams.h), but not the "^C" that it
  // echoes at Ctrl-C.
  const bool newLine = !run.standardOutput.atLineStart() ||
                       (run.inputIsTerminal && code == 128 + SIGINT);
  if (newLine) append("\n");
  append("Runtime error ");
  char digits[16];
  auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, code);
  (void)ignored;
  append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  append(": ");
  append(reason);
  append("\n");
  const std::string_view line(message, length);
  try {
    run.standardOutput.write(line);
  } catch (...) {
  }
  run.standardOutput.abandon();
  // Standard output failed (closed, full, a closed pipe): the user sees the
  // message on standard error instead.
  if (run.standardOutput.failed() && run.standardError != nullptr) {
    try {
      run.standardError->write(newLine ? line.substr(1) : line);
    } catch (...) {
    }
    run.standardError->abandon();
  }
  return code;
}

int runProgram(InStream& standardInput, OutStream& standardOutput, FileSystem& files,
               const RunOptions& options) {
  RunContext run(standardInput, standardOutput, files);
  run.inputIsTerminal = options.inputIsTerminal;
  run.standardError = options.standardError;
  if (options.handleSignals) installFaultHandlers(run);
  int status = 0;
  try {
    startRun(run);
    missionLoop(run);
    closeRun(run);
    // An interrupt that came with the end of the input or during the last
    // flush is not lost.
    checkInterrupt();
  } catch (const RunError& error) {
    status = stopRun(run, error.code(), error.what());
  } catch (const std::bad_alloc&) {
    status = stopRun(run, 12, "out of memory");
  }
  if (options.handleSignals) {
    uninstallFaultHandlers();
    // Nor one that came after that check, before the handlers were restored.
    if (int signal = pendingInterrupt(); status == 0 && signal != 0) {
      status = stopRun(run, 128 + signal, interruptReason(signal));
    }
  }
  return status;
}

}  // namespace ascent

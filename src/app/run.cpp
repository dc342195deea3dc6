#include "app/run.h"

#include <charconv>
#include <cstring>
#include <initializer_list>
#include <string>

#include "physics/standard_atmosphere.h"
#include "app/interrupts.h"
#include "mission/number_reader.h"
#include "app/prompt.h"
#include "mission/run_error.h"
#include "report/table.h"
#include "mission/mission.h"

namespace ascent {

namespace {

constexpr std::size_t maxReportNameLength = 255;

// Files of the working directory that the report must never replace.
constexpr std::string_view workingFiles[] = {"s1.dat", "speed.dat", "height.dat", "accel.dat",
                                             "dynpres.dat"};

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

  if (s.reportName.find('\0') != std::string::npos) {
    throw RunError(errorCode::badName, "the report file name contains a NUL byte");
  }
  for (std::string_view working : workingFiles) {
    if (!s.reportName.empty() && run.files.sameAsWorkingFile(s.reportName, std::string(working))) {
      throw RunError(errorCode::badName,
                     "the report file must not be " + std::string(working) + " (" +
                         quoteToken(s.reportName) + ")");
    }
  }

  if (s.reportName.empty()) {
    run.report = &run.standardOutput;
  } else {
    run.reportFile = run.files.create(s.reportName);
    run.report = run.reportFile.get();
  }
  run.console = &run.standardOutput;
  s.dataFiles = !s.reportName.empty();

  const SpecialCharacters& characters = s.dataFiles ? fileCharacters : consoleCharacters;
  s.degreeChar = characters.degree;
  s.plusMinusChar = characters.plusMinus;
  s.squaredChar = characters.squared;

  if (s.dataFiles) {
    run.speedFile = run.files.create("speed.dat");
    run.heightFile = run.files.create("height.dat");
    run.accelFile = run.files.create("accel.dat");
    run.dynpresFile = run.files.create("dynpres.dat");
  }

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
  // The message starts a line of its own. After a prompt, a terminal has
  // already echoed the answer's line end; piped input has not.
  if (!run.standardOutput.atLineStart() && !run.inputIsTerminal) append("\n");
  append("Runtime error ");
  char digits[16];
  auto [end, ignored] = std::to_chars(digits, digits + sizeof digits, code);
  (void)ignored;
  append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  append(": ");
  append(reason);
  append("\n");
  try {
    run.standardOutput.write(std::string_view(message, length));
  } catch (...) {
  }
  run.standardOutput.abandon();
  return code;
}

int runProgram(InStream& standardInput, OutStream& standardOutput, FileSystem& files,
               const RunOptions& options) {
  RunContext run(standardInput, standardOutput, files);
  run.inputIsTerminal = options.inputIsTerminal;
  if (options.handleSignals) installFaultHandlers(run);
  int status = 0;
  try {
    startRun(run);
    missionLoop(run);
    closeRun(run);
  } catch (const RunError& error) {
    status = stopRun(run, error.code(), error.what());
  } catch (const std::bad_alloc&) {
    status = stopRun(run, 12, "out of memory");
  }
  if (options.handleSignals) uninstallFaultHandlers();
  return status;
}

}  // namespace ascent

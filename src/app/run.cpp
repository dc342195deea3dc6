#include "app/run.h"

#include <charconv>
#include <cstring>
#include <initializer_list>
#include <string>

#include "app/interrupts.h"
#include "mission/number_reader.h"
#include "app/prompt.h"
#include "mission/run_error.h"
#include "mission/booster_thrust_file.h"
#include "mission/mission.h"

namespace ascent {

namespace {

constexpr std::size_t maxReportNameLength = 255;

// Files of the working directory that the report must never replace.
constexpr std::string_view workingFiles[] = {"s1.dat", "speed.dat", "height.dat", "accel.dat",
                                             "dynpres.dat"};

}  // namespace

void startRun(RunContext& run) {
  run.record = RunRecord{};

  run.standardOutput.write("Enter output filename (return is standard output): ");
  run.standardOutput.flush();
  readLine(run.input, run.reportName, maxReportNameLength);

  if (run.reportName.find('\0') != std::string::npos) {
    throw RunError(errorCode::badName, "the report file name contains a NUL byte");
  }
  for (std::string_view working : workingFiles) {
    if (!run.reportName.empty() &&
        run.files.sameAsWorkingFile(run.reportName, std::string(working))) {
      throw RunError(errorCode::badName,
                     "the report file must not be " + std::string(working) + " (" +
                         quoteToken(run.reportName) + ")");
    }
  }

  const bool reportFile = !run.reportName.empty();
  if (reportFile) {
    run.reportFile = run.files.create(run.reportName);
    run.report = run.reportFile.get();
  } else {
    run.report = &run.standardOutput;
  }
  run.console = &run.standardOutput;

  DataFiles data;
  if (reportFile) {
    run.speedFile = run.files.create("speed.dat");
    run.heightFile = run.files.create("height.dat");
    run.accelFile = run.files.create("accel.dat");
    run.dynpresFile = run.files.create("dynpres.dat");
    data = {run.speedFile.get(), run.heightFile.get(), run.accelFile.get(), run.dynpresFile.get()};
  }

  ReportSettings settings;
  settings.reportFile = reportFile;
  settings.signs = run.utf8 ? utf8Signs() : reportFile ? fileSigns() : consoleSigns();
  run.writer = std::make_unique<DialogueReport>(run, *run.report, data, settings);
  run.writer->writeHeading();
}

double DialogueReport::limitDeg(double) {
  double answer = 0;
  promptRequiredReal(run_, "Maximum angle of attack (degrees)? ", answer);
  return answer;
}

// One mission on the booster thrust file as it is now: the file is read anew
// for every mission, as the flight needs its records.
void flyDialogueMission(RunContext& run, double turnTime) {
  std::unique_ptr<InStream> thrustFile = run.files.openRead(boosterThrustFileName);
  StreamRecordSource records(*thrustFile, boosterThrustFileName);
  FlyOptions options;
  options.throwFailures = true;
  flyMission(records, sharedAtmosphereTables(), turnTime, 0, run.record, run.writer.get(), options);
  thrustFile->close();
}

void missionLoop(RunContext& run) {
  for (;;) {
    // The end of the input ends the run as a negative turn time does: there
    // is no one left to answer.
    double turnTime = 0;
    if (!promptReal(run, "Turn time (s)? ", turnTime)) return;
    if (turnTime >= 1) {
      flyDialogueMission(run, turnTime);
    } else if (turnTime >= 0) {
      run.writer->refuseTurnTime();
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
  run.utf8 = options.utf8;
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

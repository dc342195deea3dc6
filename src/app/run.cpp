#include "app/run.h"

#include <charconv>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>

#include "app/interrupts.h"
#include "app/output_files.h"
#include "app/prompt.h"
#include "ascent/errors.h"
#include "mission/mission.h"
#include "mission/number_reader.h"
#include "mission/thrust_records.h"

namespace ascent {

void startRun(RunContext& run) {
  run.record = RunRecord{};

  run.standardOutput.write("Enter output filename (return is standard output): ");
  run.standardOutput.flush();
  readLine(run.input, run.reportName, maxReportNameLength);
  openOutputFiles(run);
  run.console = &run.standardOutput;

  const bool reportFile = !run.reportName.empty();
  DataFiles data;
  if (reportFile) {
    data = {run.speedFile.get(), run.heightFile.get(), run.accelFile.get(), run.dynpresFile.get()};
  }

  ReportSettings settings;
  settings.reportFile = reportFile;
  settings.signs = run.utf8 ? utf8Signs() : reportFile ? fileSigns() : consoleSigns();
  run.writer = std::make_unique<DialogueReport>(run, *run.report, data, settings);
  run.writer->writeHeading();
}

double DialogueReport::limit_deg(double) {
  double answer = 0;
  promptRequiredReal(run_, limitPrompt, answer);
  return answer;
}

// One mission on the booster thrust file as it is now: the file is read anew
// for every mission, as the flight needs its records.
void flyDialogueMission(RunContext& run, double turnTime) {
  std::unique_ptr<InStream> thrustFile = run.files.openRead(run.thrustFile);
  StreamRecordSource records(*thrustFile, run.thrustFile);
  FlyOptions options;
  options.throwFailures = true;
  flyMission(records, sharedAtmosphereTables(), run.vehicle(), turnTime, 0, run.record,
             run.writer.get(), options);
  thrustFile->close();
}

void missionLoop(RunContext& run) {
  for (;;) {
    // The end of the input ends the run as a negative turn time does: there
    // is no one left to answer.
    double turnTime = 0;
    if (!promptReal(run, turnTimePrompt, turnTime)) return;
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
  // An interrupt that came before this message is how the run ends, whatever
  // else failed meanwhile: the parent that sent it learns that it was obeyed.
  if (int signal = pendingInterrupt(); signal != 0) {
    code = errorCode::interruptedBy(signal);
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
                       (run.inputIsTerminal && code == errorCode::interruptedBy(SIGINT));
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
  run.utf8 = options.utf8;
  run.standardError = options.standardError;
  run.vehicleFile = options.vehicle;
  run.thrustFile = options.thrustFile;
  std::optional<FaultHandlers> faultHandlers;
  if (options.handleSignals) faultHandlers.emplace(run);
  int status = 0;
  try {
    startRun(run);
    missionLoop(run);
    closeRun(run);
    // An interrupt that came with the end of the input or during the last
    // flush is not lost.
    checkInterrupt();
  } catch (const Error& error) {
    status = stopRun(run, error.code(), error.what());
  } catch (const std::bad_alloc&) {
    status = stopRun(run, errorCode::outOfMemory, "out of memory");
  }
  if (faultHandlers) {
    faultHandlers.reset();
    // Nor one that came after that check, before the handlers were restored.
    if (int signal = pendingInterrupt(); status == 0 && signal != 0) {
      status = stopRun(run, errorCode::interruptedBy(signal), interruptReason(signal));
    }
  }
  return status;
}

}  // namespace ascent

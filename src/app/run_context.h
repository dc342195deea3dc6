// The run context: every stream of one run of the dialogue, its report and
// what the run keeps from one mission to the next. Nothing of a run lives in
// globals.
#pragma once

#include <memory>
#include <string>

#include "ascent/ascent.h"
#include "mission/thrust_records.h"
#include "report/report_writer.h"
#include "report/streams.h"

namespace ascent {

struct RunContext;

// The report of the dialogue: it asks for the angle-of-attack limit when the
// mission needs it.
class DialogueReport final : public ReportWriter {
 public:
  DialogueReport(RunContext& run, OutStream& report, const DataFiles& data, ReportSettings settings)
      : ReportWriter(report, data, std::move(settings)), run_(run) {}
  double limit_deg(double given) override;

 private:
  RunContext& run_;
};

struct RunContext {
  RunContext(InStream& standardInput, OutStream& standardOutput, FileSystem& files)
      : input(standardInput), standardOutput(standardOutput), files(files) {}

  InStream& input;            // answers to the prompts
  OutStream& standardOutput;  // the console, and the report when no file is named
  FileSystem& files;          // the report, data and booster thrust files

  std::string reportName;        // as typed at start-up; empty means standard output
  OutStream* report = nullptr;   // the named file or standardOutput
  OutStream* console = nullptr;  // always standardOutput
  std::unique_ptr<OutStream> reportFile;
  std::unique_ptr<OutStream> speedFile;
  std::unique_ptr<OutStream> heightFile;
  std::unique_ptr<OutStream> accelFile;
  std::unique_ptr<OutStream> dynpresFile;
  std::unique_ptr<DialogueReport> writer;  // writes the report of every mission

  RunRecord record;                      // peaks and the recommendation across the run's missions
  const Vehicle* vehicleFile = nullptr;  // --vehicle; nullptr: the default vehicle
  std::string thrustFile = boosterThrustFileName;  // read anew for every mission
  const Vehicle& vehicle() const {
    return vehicleFile != nullptr ? *vehicleFile : Vehicle::defaults();
  }

  bool inputIsTerminal = false;        // the terminal echoes the answers and their line ends
  bool utf8 = false;                   // the signs as UTF-8 instead of the code pages
  OutStream* standardError = nullptr;  // the error line's way out when standard output fails
};

}  // namespace ascent

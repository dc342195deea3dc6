// ascent optimize: the turn time that gives the heaviest spacecraft.
#include <ostream>

#include "app/command_safety.h"
#include "app/design_commands.h"
#include "ascent/grammar.h"
#include "ascent/optimize.h"
#include "ascent/writers.h"
#include "report/design_text.h"
#include "report/printf_text.h"

namespace ascent {

OptimizeCli::OptimizeCli(CLI::App& app) {
  OptimizeCommand& c = command_;
  app_ = app.add_subcommand("optimize",
                            "Find the turn time that gives the heaviest spacecraft (largest SC_M)");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  addJobs(app_, c.jobs);
  app_->add_flag("--json", c.json, "print the result as one JSON object");
  app_->add_option("--turn-time", range_, "turn times searched (s; or 5s:120s)")
      ->type_name("FROM:TO")
      ->capture_default_str();
  addSetting(app_, "--scan-points", optimizeSettingsDomain(), "scan_points", c.settings.scanPoints,
             "turn times of the coarse scan");
  addSetting(app_, "--turn-time-tolerance", optimizeSettingsDomain(), "turn_time_tolerance_s",
             c.settings.turnTimeTolerance_s, "the search ends within this (s; or 1s)");
  addTargetSettings(app_, c.settings.search);
  addDynamicPressureLimit(app_, c.settings.search);
  nameOption("from_s", "--turn-time");
  nameOption("to_s", "--turn-time");
  app_->callback([this] {
    readOption("--turn-time",
               [this] { turnTimeSpan(range_, command_.settings.from_s, command_.settings.to_s); });
  });
}

int runOptimizeCommand(const OptimizeCommand& command, std::ostream& out, std::ostream& err) {
  const OptimizeSettings& settings = command.settings;
  const StudyFiles study = openStudyFiles(command.thrust, command.vehicleFile, "", "", err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  ProgressLine progress(err);
  CommandObserver observer(err, progress, "optimize");
  const OptimizeResult result = runOptimize(studyInputs(inputs), settings, command.jobs, &observer);
  progress.clear();
  const int status = result.found() ? exitStatus::ok : exitStatus::noDesign;
  if (command.json) {
    writeOut(out, jsonText(optimizeValue(result)) + '\n');
  } else {
    writeOut(out, vehicleLine(chosen) + optimizeText(result, settings));
  }
  return status;
}

}  // namespace ascent

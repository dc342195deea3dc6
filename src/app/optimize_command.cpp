// ascent optimize: the turn time that gives the heaviest spacecraft.
#include <ostream>

#include "app/command_safety.h"
#include "app/design_commands.h"
#include "app/mission_output.h"
#include "ascent/design_schema.h"
#include "report/design_text.h"
#include "report/json_text.h"

namespace ascent {

OptimizeCli::OptimizeCli(CLI::App& app) {
  OptimizeCommand& c = command_;
  app_ = app.add_subcommand("optimize",
                            "Find the turn time that gives the heaviest spacecraft (largest SC_M)");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  addJobs(app_, c.jobs);
  app_->add_flag("--json", c.json, "print the result as one JSON object");
  app_->add_option("--turn-time", range_, "turn times searched (s)")
      ->type_name("FROM:TO")
      ->capture_default_str();
  addSetting(app_, "--scan-points", optimizeSettingsDomain(), "scan_points", c.settings.scanPoints,
             "turn times of the coarse scan, default 10");
  addSetting(app_, "--turn-time-tolerance", optimizeSettingsDomain(), "turn_time_tolerance_s",
             c.settings.turnTimeTolerance_s, "the search ends within this (s), default 1");
  addTargetSettings(app_, c.settings.search);
  addDynamicPressureLimit(app_, c.settings.search);
  app_->callback([this] {
    readOption("--turn-time", [this] {
      parseTurnTimeSpan(range_, command_.settings);
      if (std::string problem = settingsProblem(command_.settings); !problem.empty()) {
        throw std::invalid_argument(problem);
      }
    });
  });
}

int runOptimizeCommand(const OptimizeCommand& command, std::ostream& out, std::ostream& err) {
  const OptimizeSettings& settings = command.settings;
  const StudyFiles study = openStudyFiles(command.thrust, command.vehicleFile, "", "", err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  checkThrustFile(inputs.history, chosen, settings.to_s, err);
  ProgressLine progress(err);
  const OptimizeResult result = optimizeTurnTime(inputs.history, chosen.vehicle, settings,
                                                 command.jobs, progressOn(progress, "optimize"));
  progress.clear();
  const int status = result.found() ? exitStatus::ok : exitStatus::noDesign;
  if (command.json) {
    const DesignInputs designInputs{study.thrustFile, vehicleValue(chosen.vehicle)};
    writeOut(out, jsonText(optimizeValue(result, settings, designInputs)) + '\n');
  } else {
    writeOut(out, vehicleLine(chosen) + optimizeText(result, settings));
  }
  return status;
}

}  // namespace ascent

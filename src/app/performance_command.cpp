// ascent performance: the heaviest spacecraft at every circular orbit of a
// range of altitudes, as a table, its CSV, its JSON and the payload chart.
#include <memory>
#include <ostream>

#include "app/charts.h"
#include "app/command_safety.h"
#include "app/design_commands.h"
#include "app/gnuplot.h"
#include "ascent/grammar.h"
#include "ascent/writers.h"
#include "report/design_text.h"
#include "report/printf_text.h"

namespace ascent {

PerformanceCli::PerformanceCli(CLI::App& app) {
  PerformanceCommand& c = command_;
  app_ = app.add_subcommand(
      "performance",
      "The heaviest spacecraft at every circular orbit altitude of a range (payload to orbit)");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  addJobs(app_, c.jobs);
  app_->add_option("--altitude", altitudes_,
                   "circular orbits FROM + k * STEP up to TO (km; or 150km:225km:5000m), each "
                   "aimed at and targeted")
      ->type_name("FROM:TO:STEP")
      ->required();
  app_->add_option("--turn-time", range_, "turn times searched at each altitude (s; or 5s:120s)")
      ->type_name("FROM:TO")
      ->capture_default_str();
  addSetting(app_, "--scan-points", optimizeSettingsDomain(), "scan_points",
             c.settings.optimize.scanPoints, "turn times of the coarse scan");
  addSetting(app_, "--turn-time-tolerance", optimizeSettingsDomain(), "turn_time_tolerance_s",
             c.settings.optimize.turnTimeTolerance_s, "the search ends within this (s; or 1s)");
  addSearchSettings(app_, c.settings.optimize.search);
  addDynamicPressureLimit(app_, c.settings.optimize.search);
  app_->add_flag("--json", c.json, "print the result as one JSON object");
  namesFile(app_->add_option("--csv", c.csvFile, "write the rows to FILE as CSV"))
      ->type_name("FILE");
  namesFile(app_->add_option("--plot", c.plotFile, "chart SC_M against the altitude"))
      ->type_name("FILE.png");
  nameOption("from_s", "--turn-time");
  nameOption("to_s", "--turn-time");
  nameOption("altitudes_m", "--altitude");
  app_->callback([this] {
    readOption("--altitude", [this] { command_.settings.altitudes_m = altitudeRange(altitudes_); });
    readOption("--turn-time", [this] {
      turnTimeSpan(range_, command_.settings.optimize.from_s, command_.settings.optimize.to_s);
    });
  });
}

int runPerformanceCommand(const PerformanceCommand& command, std::ostream& out, std::ostream& err) {
  const PerformanceSettings& settings = command.settings;
  StudyFiles study =
      openStudyFiles(command.thrust, command.vehicleFile, command.csvFile, command.plotFile, err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  std::unique_ptr<OutputFile>& csvFile = study.csv;
  std::unique_ptr<OutputFile>& pngFile = study.chart;
  ProgressLine progress(err);
  CommandObserver observer(err, progress, "performance");
  const PerformanceResult result =
      runPerformance(studyInputs(inputs), settings, command.jobs, &observer);
  progress.clear();
  const bool found = result.found();
  std::string words;
  if (csvFile) {
    std::string csv = csvHeader(performanceRowSchema());
    for (const PerformanceRow& row : result.rows) csv += csvLine(performanceRowSchema(), row);
    csvFile->write(csv);
  }
  if (pngFile) {
    if (found) {
      pngFile->write(payloadChart(result, settings));
    } else {
      words = "Chart: none written (no altitude has a design)\n";
      pngFile.reset();
    }
  }
  // Complete: every output is renamed into place.
  if (csvFile) csvFile->commit();
  if (pngFile) pngFile->commit();
  if (command.json) {
    writeOut(out, jsonText(performanceValue(result)) + '\n');
    err << words;
  } else {
    writeOut(out, vehicleLine(chosen) + performanceText(result, settings) + words);
  }
  return found ? exitStatus::ok : exitStatus::noDesign;
}

}  // namespace ascent

// ascent trade: what one unit of each vehicle value is worth in spacecraft
// mass, as a table, its CSV, its JSON and the tornado chart.
#include <memory>
#include <ostream>

#include "app/charts.h"
#include "app/command_safety.h"
#include "app/design_commands.h"
#include "app/gnuplot.h"
#include "ascent/grammar.h"
#include "ascent/trade.h"
#include "ascent/writers.h"
#include "report/design_text.h"
#include "report/printf_text.h"

namespace ascent {

TradeCli::TradeCli(CLI::App& app) {
  TradeCommand& c = command_;
  app_ = app.add_subcommand(
      "trade", "Spacecraft mass per unit of each vehicle value, sorted by the effect of 1 %");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  addJobs(app_, c.jobs);
  app_->add_flag("--json", c.json, "print the result as one JSON object");
  CLI::Option* turnTime = addSetting(app_, "--turn-time", tradeSettingsDomain(), "turn_time_s",
                                     c.settings.turnTime_s, "the turn time held (s; or 18s)");
  CLI::Option* reoptimize =
      app_->add_flag("--optimize", c.settings.reoptimize,
                     "at the best turn time of each changed vehicle (5 to 120 s)");
  turnTime->excludes(reoptimize);
  CLI::Option* keys = app_->add_option("--keys", keys_, "only these keys (default: every key)")
                          ->type_name("a,b,...");
  namesFile(app_->add_option("--csv", c.csvFile, "write the table to FILE as CSV"))
      ->type_name("FILE");
  namesFile(app_->add_option("--plot", c.plotFile, "draw the tornado chart"))
      ->type_name("FILE.png");
  addSetting(app_, "--relative-step", tradeSettingsDomain(), "relative_step",
             c.settings.relativeStep, "the smaller step, a fraction of each value");
  addTargetSettings(app_, c.settings.optimize.search);
  nameOption("keys", "--keys");
  app_->callback([this, turnTime, reoptimize, keys] {
    if (turnTime->count() == 0 && reoptimize->count() == 0) {
      throw CLI::RequiredError("--turn-time or --optimize");
    }
    if (keys->count() > 0) {
      readOption("--keys", [this] { command_.settings.keys = parseTradeKeys(keys_); });
    }
  });
}

int runTradeCommand(const TradeCommand& command, std::ostream& out, std::ostream& err) {
  const TradeSettings& settings = command.settings;
  StudyFiles study =
      openStudyFiles(command.thrust, command.vehicleFile, command.csvFile, command.plotFile, err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  std::unique_ptr<OutputFile>& csvFile = study.csv;
  std::unique_ptr<OutputFile>& pngFile = study.chart;
  ProgressLine progress(err);
  CommandObserver observer(err, progress, "trade");
  const TradeResult result = runTrade(studyInputs(inputs), settings, command.jobs, &observer);
  progress.clear();

  // Without a design as given there is no table: the outputs are not written.
  if (result.baseFeasible) {
    if (csvFile) {
      std::string csv = csvHeader(tradeRowSchema());
      for (const TradeRow& row : result.rows) csv += csvLine(tradeRowSchema(), row);
      csvFile->write(csv);
    }
    if (pngFile) pngFile->write(tornadoChart(result, settings));
    // Complete: every output is renamed into place.
    if (csvFile) csvFile->commit();
    if (pngFile) pngFile->commit();
  }
  if (command.json) {
    writeOut(out, jsonText(tradeValue(result)) + '\n');
  } else {
    writeOut(out, vehicleLine(chosen) + tradeText(result, settings));
  }
  return result.baseFeasible ? exitStatus::ok : exitStatus::noDesign;
}

}  // namespace ascent

// ascent sweep: every turn time of a range targeted, one CSV row each, on
// several threads and, by shards, on several machines.
//
// Each turn time is targeted from the same first guess as `ascent target`,
// never from a neighbour's answer: a row depends only on its turn time, so
// the rows are the same bytes whatever the threads and shards.
#include <memory>
#include <ostream>

#include "app/charts.h"
#include "app/command_safety.h"
#include "app/design_commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "ascent/design_schema.h"
#include "files/csv.h"
#include "report/design_text.h"

namespace ascent {

SweepCli::SweepCli(CLI::App& app) {
  SweepCommand& c = command_;
  app_ = app.add_subcommand(
      "sweep", "Target every turn time of a range; one CSV row each and the best design");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  app_->add_option("--turn-time", range_, "turn times FROM + k * STEP up to TO (s)")
      ->type_name("FROM:TO:STEP")
      ->required();
  addTargetSettings(app_, c.settings.search);
  addDynamicPressureLimit(app_, c.settings.search);
  namesFile(
      app_->add_option("--csv", c.csvFile, "write the rows to FILE (default: standard output)"))
      ->type_name("FILE");
  namesFile(app_->add_option("--plot", c.plotFile, "chart SC_M and the limit against turn time"))
      ->type_name("FILE.png");
  addJobs(app_, c.settings.jobs);
  app_->add_option("--shard", shard_, "fly every N-th turn time from the I-th (header in 1/N)")
      ->type_name("I/N");
  app_->callback([this] {
    readOption("--turn-time", [this] { command_.settings.turnTimes = turnTimeRange(range_); });
    if (!shard_.empty()) {
      readOption("--shard", [this] { command_.settings.shard = parseShard(shard_); });
    }
  });
}

int runSweepCommand(const SweepCommand& command, std::ostream& out, std::ostream& err) {
  const SweepSettings& settings = command.settings;
  StudyFiles study =
      openStudyFiles(command.thrust, command.vehicleFile, command.csvFile, command.plotFile, err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  std::unique_ptr<OutputFile>& csvFile = study.csv;
  std::unique_ptr<OutputFile>& pngFile = study.chart;

  const std::vector<double> flown = shardSelection(settings.turnTimes, settings.shard);
  if (!flown.empty()) checkThrustFile(inputs.history, chosen, flown.back(), err);

  // Rows are written as they arrive, in order.
  auto emit = [&](const std::string& text) {
    if (csvFile) {
      csvFile->write(text);
    } else {
      writeOut(out, text);
    }
  };
  if (settings.shard.index == 1) emit(csvHeader(sweepSchema()));
  SweepTally tally;
  SweepChart chart;
  ProgressLine progress(err);
  sweep(inputs.history, chosen.vehicle, settings, [&](const SweepRow& row) {
    emit(csvLine(sweepSchema(), row));
    tally.add(row);
    if (pngFile) chart.add(row);
    if (progress.shown()) {
      progress.show("Sweep: " + std::to_string(tally.turnTimes) + " of " +
                    count(flown.size(), "turn time"));
    }
  });
  progress.clear();

  // Without --csv the rows go to standard output and the words to standard error.
  std::string words = vehicleLine(chosen) + sweepText(tally);
  if (pngFile) {
    if (tally.converged == 0) {
      words += "Chart: none written (no converged turn time to draw)\n";
      pngFile.reset();
    } else {
      pngFile->write(
          sweepChart(chart, tally.hasBest ? &tally.best : nullptr, settings.search.altitude_m));
    }
  }
  // Complete: every output is renamed into place.
  if (csvFile) csvFile->commit();
  if (pngFile) pngFile->commit();
  if (csvFile) {
    writeOut(out, words);
  } else {
    err << words;
  }
  return exitStatus::ok;
}

}  // namespace ascent

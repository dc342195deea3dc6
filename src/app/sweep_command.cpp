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
#include "ascent/grammar.h"
#include "ascent/sweep.h"
#include "ascent/writers.h"
#include "report/design_text.h"
#include "report/printf_text.h"

namespace ascent {

SweepCli::SweepCli(CLI::App& app) {
  SweepCommand& c = command_;
  app_ = app.add_subcommand(
      "sweep", "Target every turn time of a range; one CSV row each and the best design");
  addThrust(app_, c.thrust);
  addVehicle(app_, c.vehicleFile);
  app_->add_option("--turn-time", range_, "turn times FROM + k * STEP up to TO (s; or 5s:120s:1s)")
      ->type_name("FROM:TO:STEP")
      ->required();
  addTargetSettings(app_, c.settings.search);
  addDynamicPressureLimit(app_, c.settings.search);
  namesFile(
      app_->add_option("--csv", c.csvFile, "write the rows to FILE (default: standard output)"))
      ->type_name("FILE");
  namesFile(app_->add_option("--plot", c.plotFile, "chart SC_M and the limit against turn time"))
      ->type_name("FILE.png");
  addJobs(app_, c.jobs);
  app_->add_option("--shard", shard_, "fly every N-th turn time from the I-th (header in 1/N)")
      ->type_name("I/N");
  nameOption("turn_times", "--turn-time");
  nameOption("shard", "--shard");
  app_->callback([this] {
    readOption("--turn-time", [this] { command_.settings.turnTimes = turnTimeRange(range_); });
    if (!shard_.empty()) {
      readOption("--shard", [this] { command_.settings.shard = parseShard(shard_); });
    }
  });
}

namespace {

// Rows are written as they arrive, in order: to the CSV file, or to standard
// output. The first shard's header goes first, once the sweep has accepted
// its settings and inputs.
class Rows final : public SweepObserver {
 public:
  Rows(std::ostream& out, std::ostream& err, ProgressLine& line, OutputFile* csv, bool charted,
       bool header)
      : words_(err, line, "Sweep"), out_(out), csv_(csv), charted_(charted), header_(header) {}
  void emit(const std::string& text) {
    if (header_) {
      header_ = false;
      emit(csvHeader(sweepSchema()));
    }
    if (csv_ != nullptr) {
      csv_->write(text);
    } else {
      writeOut(out_, text);
    }
  }
  void row(const SweepRow& row) override {
    emit(csvLine(sweepSchema(), row));
    if (charted_) chart.add(row);
  }
  void longRecordInterval(double interval_s) override { words_.longRecordInterval(interval_s); }
  void progress(std::size_t done, std::size_t total) override { words_.progress(done, total); }
  SweepChart chart;

 private:
  CommandObserver words_;
  std::ostream& out_;
  OutputFile* csv_;
  bool charted_;
  bool header_;
};

}  // namespace

int runSweepCommand(const SweepCommand& command, std::ostream& out, std::ostream& err) {
  const SweepSettings& settings = command.settings;
  StudyFiles study =
      openStudyFiles(command.thrust, command.vehicleFile, command.csvFile, command.plotFile, err);
  const FlightInputs& inputs = study.inputs;
  const ChosenVehicle& chosen = inputs.chosen;
  std::unique_ptr<OutputFile>& csvFile = study.csv;
  std::unique_ptr<OutputFile>& pngFile = study.chart;

  ProgressLine progress(err);
  Rows rows(out, err, progress, csvFile.get(), pngFile != nullptr, settings.shard.index == 1);
  const SweepResult tally = runSweep(studyInputs(inputs), settings, command.jobs, rows);
  rows.emit("");  // the header of a shard with no turn time
  SweepChart& chart = rows.chart;
  progress.clear();

  // Without --csv the rows go to standard output and the words to standard error.
  std::string words = vehicleLine(chosen) + sweepText(tally);
  if (pngFile) {
    if (tally.converged == 0) {
      words += "Chart: none written (no converged turn time to draw)\n";
      pngFile.reset();
    } else {
      pngFile->write(
          sweepChart(chart, tally.found ? &tally.best : nullptr, settings.search.targetAltitude_m));
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

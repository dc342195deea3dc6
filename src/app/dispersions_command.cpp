// ascent dispersions: parses the command line, reads the files, flies the
// campaign of the study layer into its store and prints its summary.
#include "app/dispersions_command.h"

#include <optional>
#include <ostream>
#include <string_view>

#include "app/campaign_charts.h"
#include "app/campaign_progress.h"
#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/report_command.h"
#include "app/signal_scope.h"
#include "ascent/campaign_store.h"
#include "ascent/files.h"
#include "ascent/grammar.h"
#include "ascent/writers.h"
#include "files/campaign_csv.h"
#include "report/interrupt_flag.h"
#include "report/printf_text.h"
#include "report/summary_text.h"

namespace ascent {

namespace {

// What the command does as the campaign is flown: the limit said, a resumed
// CSV taken up, every row written to the CSV file or standard output, the
// progress line, and an interrupt that ends the campaign before its next run.
class CampaignWords final : public CampaignObserver {
 public:
  CampaignWords(const DispersionsCommand& command, std::ostream& out, std::ostream& words,
                std::ostream& err, CampaignWriter* csv, const CampaignRowSchema& schema)
      : command_(command), out_(out), words_(words), err_(err), csv_(csv), schema_(schema) {}

  std::uint64_t start(const CampaignManifest& manifest, const CampaignLimit& limit,
                      const Sampler& sampler,
                      const std::function<void(const CampaignRow&)>& add) override {
    if (limit.targeted) {
      words_ << "Limit: " << exactText(limit.limit_deg)
             << " deg, targeted on the nominal vehicle\n";
    }
    std::uint64_t done = 0;
    if (csv_ != nullptr && command_.resume) {
      done = resumeCampaign(command_.csvFile, manifest, sampler, *csv_, add);
    } else if (rowsOnStandardOutput()) {
      out_ << manifest.columns << '\n';
    }
    total_ = manifest.endRun - manifest.firstRun;
    progress_.emplace(err_, total_, done);
    return done;
  }
  void row(const CampaignRow& row) override {
    if (csv_ != nullptr) {
      csv_->write(campaignCsvLine(schema_, row));
    } else if (rowsOnStandardOutput()) {
      out_ << campaignCsvLine(schema_, row);
    }
  }
  void longRecordInterval(double interval_s) override {
    std::string line;
    longRecordIntervalLine(line, interval_s);
    err_ << line;
  }
  void progress(std::size_t done, std::size_t) override {
    if (progress_) progress_->update(done);
  }
  bool stopRequested() override { return pendingInterrupt() != 0; }
  void clear() {
    if (progress_) progress_->clear();
  }
  bool rowsOnStandardOutput() const { return command_.csvFile.empty() && !command_.json; }

 private:
  const DispersionsCommand& command_;
  std::ostream &out_, &words_, &err_;
  CampaignWriter* csv_;
  const CampaignRowSchema& schema_;
  std::uint64_t total_ = 0;
  std::optional<CampaignProgress> progress_;
};

}  // namespace

int runDispersionsCommand(const DispersionsCommand& command, std::ostream& out, std::ostream& err) {
  if (!command.mergeFile.empty()) return runDispersionsMerge(command, out, err);
  // From here on an interrupt ends the campaign before its next run.
  SignalScope interrupts({SIGINT, SIGTERM}, OnSignal::raiseFlag);

  // No output may land on an input, another output or standard output.
  const ThrustOption thrust = chooseThrustFile(command.thrust, err);
  OutputSet files;
  files.input(command.files.front(), "the dispersion file");
  addFlightInputs(files, thrust.file, command.vehicleFile);
  if (!command.csvFile.empty()) addCampaignCsv(files, command.csvFile);
  addCampaignCharts(files, command.plotDirectory);
  if (!command.reportFile.empty()) files.output(command.reportFile, "the page");
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile, err);
  const DispersionFile dispersions = readDispersionFile(command.files.front(), chosen.vehicle);
  const ThrustHistory history = readThrustFile(thrust);
  // Every output is created before the first mission: one that cannot be
  // written ends the command before anything is flown.
  const CampaignRowSchema schema(dispersions.dispersions);
  std::optional<CampaignWriter> csv;
  if (!command.csvFile.empty()) csv.emplace(command.csvFile, schema.header() + '\n');
  const std::unique_ptr<OutputFolder> charts = createCampaignCharts(command.plotDirectory);
  std::optional<OutputFile> page;
  if (!command.reportFile.empty()) page.emplace(command.reportFile);
  // Without rows or JSON on standard output the words go there.
  const bool rowsOnStandardOutput = command.csvFile.empty() && !command.json;
  std::ostream& words = rowsOnStandardOutput || command.json ? err : out;
  words << vehicleLine(chosen);

  CampaignWords observer(command, out, words, err, csv ? &*csv : nullptr, schema);
  const CampaignInputs inputs{{history, chosen.vehicle, chosen.path}, dispersions};
  CampaignResult result =
      runCampaign(inputs, command.settings, command.jobs, observer, temporaryFileSpill());
  observer.clear();
  if (result.limit.verdict != Verdict::Converged) {
    err << "ascent: " << nominalLimitProblem(command.settings.turnTime_s, result.limit.verdict)
        << ": give --limit\n";
    return exitStatus::noDesign;
  }
  if (rowsOnStandardOutput) out.flush();
  if (csv) csv->commit(result.manifest);
  if (const int signal = pendingInterrupt(); signal != 0) {
    const std::uint64_t total = command.settings.endRun - command.settings.firstRun;
    err << format("ascent: %s after %zu of %zu runs; %s\n", interruptReason(signal),
                  static_cast<std::size_t>(result.takenUp + result.flown),
                  static_cast<std::size_t>(total),
                  csv ? "--resume flies the rest" : "the rows written are complete");
    return exitStatus::interruptedBy(signal);
  }
  const int status =
      finishCampaign(result.summary, *result.builder, result.manifest, command,
                     chosen.vehicle.guidance.target_altitude_m, charts.get(), out, words);
  if (page) {
    writeCampaignPage(*page, result.summary, *result.builder, result.manifest,
                      command.settings.limit_deg.has_value(), "the campaign as flown",
                      command.csvFile.empty() ? "run.csv" : command.csvFile);
  }
  return status;
}

DispersionsCli::DispersionsCli(CLI::App& app) {
  app_ = app.add_subcommand(
      "dispersions",
      "Fly the vehicle many times with its values drawn from a dispersion file; one CSV row "
      "per run and a summary (or merge the CSV files of a campaign's shards)");
  addCampaignOptions();
  addJudgingOptions();
  nameOption("runs", "--runs");
  nameOption("guidance", "--guidance");
  nameOption("known", "--know");
  nameOption("requirements", "--require");
  app_->callback([this] { readOptions(); });
}

void DispersionsCli::addCampaignOptions() {
  DispersionsCommand& c = command_;
  CampaignSettings& s = c.settings;
  const auto domain = campaignSettingsDomain();
  namesFile(app_->add_option("FILE", c.files,
                             "the dispersion file (TOML); with --merge the shards' CSV files"))
      ->type_name("FILE");
  app_->add_option("--runs", c.runs, "runs 0 to N-1, or A to B-1")->type_name("N|A:B");
  seed_ = app_->add_option_function<std::string>(
                  "--seed",
                  [&s](const std::string& text) {
                    readOption("--seed", [&] { s.seed = campaignNumber("the seed", text); });
                  },
                  "the campaign's seed: the same seed draws the same values")
              ->type_name("S");
  turnTime_ = addSetting(app_, "--turn-time", domain, "turn_time_s", s.turnTime_s,
                         "turn time of every run (s; or 18s)", false);
  limit_ = addSetting(
      app_, "--limit", domain, "limit_deg", s.limit_deg,
      "limit of every run (deg; or 24.06deg, 0.42rad); default: targeted on the nominal vehicle");
  guidance_ =
      app_->add_option("--guidance", c.guidance,
                       "what the guidance knows: fixed (one limit for every run), before_launch "
                       "(each run targeted on the known draws), in_flight (decided at booster "
                       "separation from the state reached and the known draws) or omniscient "
                       "(every draw); default fixed")
          ->type_name("MODE");
  retarget_ = app_->add_flag("--retarget", retargetFlag_, "the same as --guidance omniscient")
                  ->excludes(limit_);
  guidance_->excludes(retarget_);
  app_->add_option("--know", c.know,
                   "the classes the before_launch and in_flight guidances know, of vehicle and "
                   "launch_day; default both")
      ->type_name("CLASSES");
  addVehicle(app_, c.vehicleFile, "the nominal vehicle (a vehicle file)");
  addThrust(app_, c.thrust);
  namesFile(app_->add_option("--csv", c.csvFile, "write the rows to FILE, its manifest beside it"))
      ->type_name("FILE.csv");
  app_->add_flag("--json", c.json, "print the summary as JSON");
  addJobs(app_, c.jobs);
  app_->add_flag("--resume", c.resume, "fly only the runs missing from the --csv file");
  namesFile(app_->add_option("--plot", c.plotDirectory, "draw the charts into DIR"))
      ->type_name("DIR");
  namesFile(app_->add_option("--report", c.reportFile,
                             "write the review board's page of the summary to FILE (HTML)"))
      ->type_name("FILE.html");
  namesFile(app_->add_option("--merge", c.mergeFile,
                             "merge the shards' CSV files (FILE...) into OUT.csv"))
      ->type_name("OUT.csv");
}

void DispersionsCli::addJudgingOptions() {
  DispersionsCommand& c = command_;
  CampaignSettings& s = c.settings;
  const auto domain = campaignSettingsDomain();
  addSetting(app_, "--reserve", domain, "min_remaining_propellant_kg", s.minRemainingPropellant_kg,
             "propellant a successful orbit keeps at least (kg; or 500kg, 0.5t)");
  app_->add_option("--require", c.requirements,
                   "a requirement on an output column, met in --probability of the runs with "
                   "--confidence (repeatable); exit status 1 when one is not verified. VALUE is "
                   "in the unit that ends OUTPUT's name, or carries its own: perigee_m>=190km, "
                   "max_dynamic_pressure_Pa<=28.3kPa, SC_M_kg>=120t")
      ->type_name("OUTPUT>=VALUE|OUTPUT<=VALUE")
      ->allow_extra_args(false);
  addSetting(app_, "--probability", domain, "probability", s.probability,
             "the share of runs a requirement holds in");
  addSetting(app_, "--confidence", domain, "confidence", s.confidence,
             "the confidence of the requirements and the reserve");
}

void DispersionsCli::readOptions() {
  DispersionsCommand& c = command_;
  CampaignSettings& s = c.settings;
  for (const std::string& text : c.requirements) {
    readOption("--require", [&] { s.requirements.push_back(parseRequirement(text)); });
  }
  if (retarget_->count() > 0) c.guidance = "omniscient";
  if (!c.guidance.empty()) {
    readOption("--guidance", [&] { s.guidance = parseGuidance(c.guidance); });
  }
  if (!c.know.empty()) readOption("--know", [&] { s.known = parseKnown(c.know); });
  if (!c.mergeFile.empty()) {
    if (c.files.empty()) throw CLI::ValidationError("--merge", "name the shards' CSV files");
    if (!c.runs.empty() || seed_->count() > 0 || turnTime_->count() > 0 || limit_->count() > 0 ||
        !c.guidance.empty() || !c.know.empty() || c.resume || !c.csvFile.empty() ||
        !c.vehicleFile.empty()) {
      throw CLI::ValidationError(
          "--merge",
          "takes only the shards, --json, --plot, --report, --reserve, --require, "
          "--probability and --confidence: the campaign is in their "
          "manifests");
    }
    return;
  }
  if (c.files.size() != 1) throw CLI::ValidationError("FILE", "name one dispersion file");
  if (c.runs.empty()) throw CLI::RequiredError("--runs");
  if (seed_->count() == 0) throw CLI::RequiredError("--seed");
  if (turnTime_->count() == 0) throw CLI::RequiredError("--turn-time");
  if (c.resume && c.csvFile.empty()) {
    throw CLI::ValidationError("--resume", "needs the --csv file to resume");
  }
  readOption("--runs", [&] { parseRuns(c.runs, s.firstRun, s.endRun); });
}

int DispersionsCli::run(std::ostream& out, std::ostream& err) const {
  return runDispersionsCommand(command_, out, err);
}

}  // namespace ascent

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
#include "app/mission_output.h"
#include "app/signal_scope.h"
#include "files/campaign_store.h"
#include "files/csv.h"
#include "report/interrupt_flag.h"

namespace ascent {

namespace {

// "N" (runs 0 to N-1) or "A:B" (runs A to B-1) as whole numbers; throws
// CLI::ValidationError for anything else.
void readRuns(const std::string& text, std::uint64_t& first, std::uint64_t& end) {
  auto whole = [&text](std::string_view digits, std::uint64_t& value) {
    const std::string problem = campaignNumberProblem("the run", digits, value);
    if (problem.empty()) return;
    // A number out of range is said to be one; anything else is not N or A:B.
    throw CLI::ValidationError(
        "--runs", problem.front() == '\'' ? "'" + text + "' is not N or A:B" : problem);
  };
  const std::size_t colon = text.find(':');
  first = 0;
  if (colon == std::string::npos) return whole(text, end);
  whole(std::string_view(text).substr(0, colon), first);
  whole(std::string_view(text).substr(colon + 1), end);
}

}  // namespace

int runDispersionsCommand(const DispersionsCommand& command, std::ostream& out, std::ostream& err) {
  if (!command.mergeFile.empty()) return runDispersionsMerge(command, out, err);
  // From here on an interrupt ends the campaign before its next run.
  SignalScope interrupts({SIGINT, SIGTERM}, OnSignal::raiseFlag);
  CampaignSettings settings = command.settings;

  // No output may land on an input, another output or standard output.
  const ThrustOption thrust = chooseThrustFile(command.thrust, err);
  OutputSet files;
  files.input(command.files.front(), "the dispersion file");
  addFlightInputs(files, thrust.file, command.vehicleFile);
  if (!command.csvFile.empty()) {
    files.output(command.csvFile, "the CSV file");
    files.output(manifestPathFor(command.csvFile), "the manifest", Placement::replacingName);
  }
  addCampaignCharts(files, command.plotDirectory);
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile);
  const DispersionFile dispersions = readDispersionFile(command.files.front(), chosen.vehicle);
  const ThrustHistory history = readThrustFile(thrust);
  checkLiftOff(chosen, history);
  checkThrustFile(history, chosen, settings.turnTime_s, err);
  // Every output is created before the first mission: one that cannot be
  // written ends the command before anything is flown.
  const CampaignRowSchema schema(dispersions.dispersions);
  std::optional<CampaignWriter> csv;
  if (!command.csvFile.empty()) csv.emplace(command.csvFile, csvHeader(schema.fields()));
  const std::unique_ptr<OutputFolder> charts = createCampaignCharts(command.plotDirectory);
  // Without rows or JSON on standard output the words go there.
  const bool rowsOnStandardOutput = command.csvFile.empty() && !command.json;
  std::ostream& words = rowsOnStandardOutput || command.json ? err : out;
  words << vehicleLine(chosen);

  const CampaignLimit limit = settleCampaignLimit(history, chosen.vehicle, settings);
  if (limit.verdict != Verdict::Converged) {
    err << "ascent: " << nominalLimitProblem(settings.turnTime_s, limit.verdict)
        << ": give --limit\n";
    return exitStatus::noDesign;
  }
  if (limit.targeted) {
    words << "Limit: " << exactText(*settings.limit_deg)
          << " deg, targeted on the nominal vehicle\n";
  }

  const Sampler sampler(chosen.vehicle, dispersions.dispersions, dispersions.correlations);
  const CampaignManifest manifest =
      describeCampaign(settings, dispersions, chosen.path, chosen.vehicle, thrust.file, history);
  SummaryBuilder builder(settings);
  std::uint64_t done = 0;
  if (csv && command.resume) {
    done = resumeCampaign(command.csvFile, manifest, sampler, *csv,
                          [&builder](const CampaignRow& row) { builder.add(row); });
  } else if (rowsOnStandardOutput) {
    out << manifest.columns << '\n';
  }

  CampaignSettings rest = settings;
  rest.firstRun = settings.firstRun + done;
  const std::size_t total = settings.endRun - settings.firstRun;
  CampaignProgress progress(err, total, done);
  std::size_t flown = 0;
  runCampaign(
      history, sampler, rest,
      [&](const CampaignRow& row) {
        if (csv) {
          csv->write(campaignCsvLine(schema, row));
        } else if (rowsOnStandardOutput) {
          out << campaignCsvLine(schema, row);
        }
        builder.add(row);
        ++flown;
        progress.update(done + flown);
      },
      [] { return pendingInterrupt() != 0; });
  progress.clear();
  if (rowsOnStandardOutput) out.flush();
  if (csv) csv->commit(manifest);
  if (const int signal = pendingInterrupt(); signal != 0) {
    err << format("ascent: %s after %zu of %zu runs; %s\n", interruptReason(signal),
                  static_cast<std::size_t>(done + flown), total,
                  csv ? "--resume flies the rest" : "the rows written are complete");
    return exitStatus::interruptedBy(signal);
  }
  return finishCampaign(builder, manifest, command, chosen.vehicle.guidance.target_altitude_m,
                        charts.get(), out, words);
}

DispersionsCli::DispersionsCli(CLI::App& app) {
  DispersionsCommand& c = command_;
  CampaignSettings& s = c.settings;
  const auto domain = campaignSettingsDomain();
  app_ = app.add_subcommand(
      "dispersions",
      "Fly the vehicle many times with its values drawn from a dispersion file; one CSV row "
      "per run and a summary (or merge the CSV files of a campaign's shards)");
  namesFile(app_->add_option("FILE", c.files,
                             "the dispersion file (TOML); with --merge the shards' CSV files"))
      ->type_name("FILE");
  app_->add_option("--runs", c.runs, "runs 0 to N-1, or A to B-1")->type_name("N|A:B");
  CLI::Option* seed = app_->add_option_function<std::string>(
                              "--seed",
                              [&s](const std::string& text) {
                                const std::string problem =
                                    campaignNumberProblem("the seed", text, s.seed);
                                if (!problem.empty()) throw CLI::ValidationError("--seed", problem);
                              },
                              "the campaign's seed: the same seed draws the same values")
                          ->type_name("S");
  CLI::Option* turnTime = addSetting(app_, "--turn-time", domain, "turn_time_s", s.turnTime_s,
                                     "turn time of every run (s)");
  CLI::Option* limit = addSetting(app_, "--limit", domain, "limit_deg", s.limit_deg,
                                  "limit of every run (deg); default: targeted on the nominal "
                                  "vehicle");
  app_->add_flag("--retarget", s.retarget, "target each run's orbit again at the turn time")
      ->excludes(limit);
  addVehicle(app_, c.vehicleFile, "the nominal vehicle (a vehicle file)");
  addThrust(app_, c.thrust);
  namesFile(app_->add_option("--csv", c.csvFile, "write the rows to FILE, its manifest beside it"))
      ->type_name("FILE.csv");
  app_->add_flag("--json", c.json, "print the summary as JSON");
  addJobs(app_, s.jobs);
  app_->add_flag("--resume", c.resume, "fly only the runs missing from the --csv file");
  namesFile(app_->add_option("--plot", c.plotDirectory, "draw the charts into DIR"))
      ->type_name("DIR");
  namesFile(app_->add_option("--merge", c.mergeFile,
                             "merge the shards' CSV files (FILE...) into OUT.csv"))
      ->type_name("OUT.csv");
  addSetting(app_, "--reserve", domain, "reserve_kg", s.minRemainingPropellant_kg,
             "propellant a successful orbit keeps at least (kg), default 0");
  app_->add_option("--require", c.requirements,
                   "a requirement on an output column, met in --probability of the runs with "
                   "--confidence (repeatable); exit status 1 when one is not verified")
      ->type_name("OUTPUT>=VALUE|OUTPUT<=VALUE")
      ->allow_extra_args(false);
  addSetting(app_, "--probability", domain, "probability", s.probability,
             "the share of runs a requirement holds in, default 0.99865");
  addSetting(app_, "--confidence", domain, "confidence", s.confidence,
             "the confidence of the requirements and the reserve, default 0.9");
  app_->callback([this, seed, turnTime, limit] {
    DispersionsCommand& c = command_;
    CampaignSettings& s = c.settings;
    for (const std::string& text : c.requirements) {
      readOption("--require", [&] { s.requirements.push_back(campaignRequirement(text)); });
    }
    if (!c.mergeFile.empty()) {
      if (c.files.empty()) throw CLI::ValidationError("--merge", "name the shards' CSV files");
      if (!c.runs.empty() || seed->count() > 0 || turnTime->count() > 0 || limit->count() > 0 ||
          s.retarget || c.resume || !c.csvFile.empty() || !c.vehicleFile.empty()) {
        throw CLI::ValidationError("--merge",
                                   "takes only the shards, --json, --plot, --reserve, --require, "
                                   "--probability and --confidence: the campaign is in their "
                                   "manifests");
      }
      return;
    }
    if (c.files.size() != 1) {
      throw CLI::ValidationError("FILE", "name one dispersion file");
    }
    if (c.runs.empty()) throw CLI::RequiredError("--runs");
    if (seed->count() == 0) throw CLI::RequiredError("--seed");
    if (turnTime->count() == 0) throw CLI::RequiredError("--turn-time");
    if (c.resume && c.csvFile.empty()) {
      throw CLI::ValidationError("--resume", "needs the --csv file to resume");
    }
    readRuns(c.runs, s.firstRun, s.endRun);
    if (const std::string problem = runsProblem(s.firstRun, s.endRun); !problem.empty()) {
      throw CLI::ValidationError("--runs", problem);
    }
  });
}

int DispersionsCli::run(std::ostream& out, std::ostream& err) const {
  return runDispersionsCommand(command_, out, err);
}

}  // namespace ascent

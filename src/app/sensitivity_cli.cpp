// The options of ascent sensitivity (app/sensitivity_command.h).
#include <charconv>

#include "app/command_safety.h"
#include "app/option_names.h"
#include "app/sensitivity_command.h"
#include "ascent/grammar.h"

namespace ascent {

namespace {

// "I/K": shard I of K.
void parseShard(const std::string& text, std::uint64_t& shard, std::uint64_t& shards) {
  const std::size_t slash = text.find('/');
  const auto whole = [](std::string_view part, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    return !part.empty() && error == std::errc() && end == part.data() + part.size();
  };
  if (slash == std::string::npos || !whole(std::string_view(text).substr(0, slash), shard) ||
      !whole(std::string_view(text).substr(slash + 1), shards)) {
    throw InputError({"'" + text + "' is not a shard I/K, as 2/4"});
  }
}

}  // namespace

SensitivityCli::SensitivityCli(CLI::App& app) {
  app_ = app.add_subcommand(
      "sensitivity",
      "Which dispersion causes how much of the spread of each output: Sobol indices of a "
      "Saltelli design flown as campaign runs (or merge its shards; or, from a campaign's CSV, "
      "rank correlations)");
  addDesignOptions();
  addOutputOptions();
  nameOption("rows", "--runs");
  nameOption("resamples", "--resamples");
  nameOption("shard", "--shard");
  nameOption("guidance", "--guidance");
  nameOption("known", "--know");
  app_->callback([this] { readOptions(); });
}

void SensitivityCli::addDesignOptions() {
  SensitivityCommand& c = command_;
  CampaignSettings& s = c.settings.campaign;
  const auto domain = campaignSettingsDomain();
  namesFile(app_->add_option("FILE", c.files,
                             "the dispersion file (TOML); with --merge the shards' CSV files"))
      ->type_name("FILE");
  rows_ = app_->add_option("--runs,--rows", c.settings.rows,
                           "N, the rows of matrices A and B: the design flies N (d + 2) runs for "
                           "d factors")
              ->type_name("N");
  seed_ = app_->add_option_function<std::string>(
                  "--seed",
                  [&s](const std::string& text) {
                    readOption("--seed", [&] { s.seed = campaignNumber("the seed", text); });
                  },
                  "the seed of every draw of the design")
              ->type_name("S");
  turnTime_ = addSetting(app_, "--turn-time", domain, "turn_time_s", s.turnTime_s,
                         "turn time of every run (s; or 18s)", false);
  limit_ =
      addSetting(app_, "--limit", domain, "limit_deg", s.limit_deg,
                 "limit of every run (deg; or 24.06deg); default: targeted on the nominal vehicle");
  app_->add_option("--guidance", c.guidance,
                   "what the guidance knows: fixed, before_launch, in_flight or omniscient (as "
                   "for ascent dispersions); default fixed")
      ->type_name("MODE");
  retarget_ = app_->add_flag("--retarget", retargetFlag_, "the same as --guidance omniscient")
                  ->excludes(limit_)
                  ->excludes("--guidance");
  app_->add_option("--know", c.know,
                   "the classes the before_launch and in_flight guidances know, of vehicle and "
                   "launch_day; default both")
      ->type_name("CLASSES");
  addVehicle(app_, c.vehicleFile, "the nominal vehicle (a vehicle file)");
  addThrust(app_, c.thrust);
  addJobs(app_, c.jobs);
  addSetting(app_, "--reserve", domain, "min_remaining_propellant_kg", s.minRemainingPropellant_kg,
             "propellant a successful orbit keeps at least, for the success output (kg; or 5t)");
  app_->add_option("--shard", c.shard,
                   "fly only shard I of K of the design's runs; --merge joins the shards")
      ->type_name("I/K");
}

void SensitivityCli::addOutputOptions() {
  SensitivityCommand& c = command_;
  namesFile(app_->add_option("--csv", c.csvFile,
                             "write the runs to FILE (with their matrix and row), the manifest "
                             "beside it"))
      ->type_name("FILE.csv");
  app_->add_flag("--resume", c.resume, "fly only the runs missing from the --csv file");
  namesFile(app_->add_option("--indices", c.indicesFile,
                             "write the indices (with --given, the correlations) to FILE as CSV"))
      ->type_name("FILE.csv");
  app_->add_flag("--json", c.json, "print the indices as JSON");
  namesFile(app_->add_option("--plot", c.plotDirectory,
                             "draw a bar chart of S1 and ST per factor for each output into DIR"))
      ->type_name("DIR");
  namesFile(app_->add_option("--report", c.reportFile,
                             "write the review board's page of the indices to FILE (HTML)"))
      ->type_name("FILE.html");
  app_->add_option("--output", c.output,
                   "only this output: perigee_m, apogee_m, average_altitude_m, "
                   "remaining_propellant_kg, SC_M_kg, max_dynamic_pressure_Pa or success")
      ->type_name("NAME");
  resamples_ =
      app_->add_option("--resamples", c.settings.resamples, "bootstrap resamples of each interval")
          ->type_name("N")
          ->capture_default_str();
  namesFile(app_->add_option("--merge", c.mergeFile,
                             "merge the shards' CSV files (FILE...) into OUT.csv"))
      ->type_name("OUT.csv");
  namesFile(app_->add_option("--given", c.givenFile,
                             "fly nothing: the Spearman rank correlation of each key with each "
                             "output of a campaign's CSV (its manifest beside it)"))
      ->type_name("CAMPAIGN.csv");
}

void SensitivityCli::readOptions() {
  SensitivityCommand& c = command_;
  if (!c.output.empty()) {
    bool known = false;
    for (const std::string_view name : sensitivityOutputNames()) known = known || name == c.output;
    if (!known) throw CLI::ValidationError("--output", "'" + c.output + "' is not an output");
  }
  if (!c.mergeFile.empty() || !c.givenFile.empty()) return readMergeOrGiven();
  if (c.files.size() != 1) throw CLI::ValidationError("FILE", "name one dispersion file");
  if (rows_->count() == 0) throw CLI::RequiredError("--runs");
  if (seed_->count() == 0) throw CLI::RequiredError("--seed");
  if (turnTime_->count() == 0) throw CLI::RequiredError("--turn-time");
  if (c.resume && c.csvFile.empty()) {
    throw CLI::ValidationError("--resume", "needs the --csv file to resume");
  }
  CampaignSettings& s = c.settings.campaign;
  if (retarget_->count() > 0) c.guidance = "omniscient";
  if (!c.guidance.empty())
    readOption("--guidance", [&] { s.guidance = parseGuidance(c.guidance); });
  if (!c.know.empty()) readOption("--know", [&] { s.known = parseKnown(c.know); });
  if (!c.shard.empty()) {
    readOption("--shard", [&] { parseShard(c.shard, c.settings.shard, c.settings.shards); });
  }
  if (c.settings.shards > 1 &&
      (!c.indicesFile.empty() || !c.plotDirectory.empty() || !c.reportFile.empty())) {
    throw CLI::ValidationError("--shard",
                               "a shard has no indices: give --indices, --plot and --report to "
                               "--merge");
  }
}

void SensitivityCli::readMergeOrGiven() {
  SensitivityCommand& c = command_;
  const bool merge = !c.mergeFile.empty();
  const std::string option = merge ? "--merge" : "--given";
  if (merge && !c.givenFile.empty()) {
    throw CLI::ValidationError("--merge", "and --given are two ways: give one");
  }
  if (merge && c.files.empty()) throw CLI::ValidationError("--merge", "name the shards' CSV files");
  if (!merge && (!c.files.empty() || !c.plotDirectory.empty() || !c.reportFile.empty() ||
                 resamples_->count() > 0)) {
    throw CLI::ValidationError("--given",
                               "takes only --output, --json, --indices and --reserve: it reads "
                               "the campaign's CSV and flies nothing");
  }
  if (rows_->count() > 0 || seed_->count() > 0 || turnTime_->count() > 0 || limit_->count() > 0 ||
      !c.guidance.empty() || retarget_->count() > 0 || !c.know.empty() || c.resume ||
      !c.csvFile.empty() || !c.vehicleFile.empty() || !c.shard.empty()) {
    throw CLI::ValidationError(option,
                               "the study is in the manifest: give none of the design's "
                               "options (--runs, --seed, --turn-time, --limit, the "
                               "guidance, --vehicle, --shard, --csv, --resume)");
  }
}

int SensitivityCli::run(std::ostream& out, std::ostream& err) const {
  return runSensitivityCommand(command_, out, err);
}

}  // namespace ascent

// ascent report: reads a study's CSV back through the study code a merge
// uses, so the page's numbers are those --json prints, and writes its page.
#include "app/report_command.h"

#include <filesystem>
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/exit_status.h"
#include "app/thrust_file.h"
#include "ascent/campaign_store.h"
#include "ascent/grammar.h"
#include "files/output_set.h"
#include "report/campaign_page.h"
#include "report/sensitivity_page.h"

namespace ascent {

namespace {

// How the thrust file the manifest names compares, as found here, with the
// hash the runs were flown with.
std::string thrustCheck(const CampaignManifest& manifest) {
  std::error_code error;
  if (manifest.thrustFile.empty() || !std::filesystem::exists(manifest.thrustFile, error)) {
    return "(not found here: not checked)";
  }
  try {
    const ThrustHistory history = readThrustFile({manifest.thrustFile, true});
    return thrustHistoryHash(history) == manifest.thrustHash
               ? "(checked: the file here has this hash)"
               : "(the file here differs: hash " + thrustHistoryHash(history) + ")";
  } catch (const Error& problem) {
    return std::string("(not checked: ") + problem.what() + ")";
  }
}

CampaignSource sourceOf(const CampaignManifest& manifest, bool limitGiven,
                        const std::string& madeFrom, const std::string& csvFile) {
  return {madeFrom, "ascent " + std::string(version()), thrustCheck(manifest),
          "The dispersion file and the vehicle were read again and each compared with its hash, "
          "and every row's drawn values drawn again from the seed, when the page was made.",
          reproduceCommand(manifest, limitGiven, csvFile)};
}

}  // namespace

void writeCampaignPage(OutputFile& page, const CampaignSummary& summary, SummaryBuilder& builder,
                       const CampaignManifest& manifest, bool limitGiven,
                       const std::string& madeFrom, const std::string& csvFile) {
  const Value value = campaignSummaryValue(summary, manifest);
  page.write(campaignPage(value, manifest, campaignPageCharts(builder, summary),
                          sourceOf(manifest, limitGiven, madeFrom, csvFile)));
  page.commit();
}

void writeSensitivityPage(OutputFile& page, const SensitivityResult& result,
                          const std::string& madeFrom, const std::string& csvFile) {
  page.write(sensitivityPage(sensitivityValue(result), result.manifest,
                             sourceOf(result.manifest, false, madeFrom, csvFile)));
  page.commit();
}

CampaignSettings reportJudging(const ReportCommand& command, const CampaignManifest& manifest) {
  CampaignSettings settings;
  if (manifest.judging) judgeBy(settings, *manifest.judging);
  if (command.reserve_kg) settings.minRemainingPropellant_kg = *command.reserve_kg;
  if (command.probability) settings.probability = *command.probability;
  if (command.confidence) settings.confidence = *command.confidence;
  if (!command.requirements.empty()) {
    settings.requirements.clear();
    for (const std::string& text : command.requirements) {
      settings.requirements.push_back(parseRequirement(text));
    }
  }
  refuseSetting(judgingProblem(settings));
  return settings;
}

int runReportCommand(const ReportCommand& command, std::ostream&, std::ostream& err) {
  const std::string manifestPath = manifestPathFor(command.csvFile);
  OutputSet files;
  files.input(command.csvFile, "the CSV file");
  files.input(manifestPath, "its manifest");
  const CampaignManifest manifest = readManifest(manifestPath);
  for (const std::string* name :
       {&manifest.dispersionFile, &manifest.vehicleFile, &manifest.thrustFile}) {
    std::error_code error;
    if (!name->empty() && std::filesystem::exists(*name, error)) files.input(*name, *name);
  }
  files.output(command.htmlFile, "the page");
  refuseClashes(files);
  const CampaignSettings judging = reportJudging(command, manifest);
  OutputFile page(command.htmlFile);
  LimitSeen seen;
  if (manifest.designRows > 0) {
    SensitivitySettings settings;
    settings.campaign = judging;
    settings.resamples = command.resamples;
    SensitivityResult result =
        readSensitivity(command.csvFile, settings, [&](const CampaignRow& row) { seen.add(row); });
    result.manifest.judging = judgingOf(judging);
    writeSensitivityPage(page, result, command.csvFile, command.csvFile);
    err << "Wrote " << command.htmlFile << ": the sensitivity study of " << command.csvFile << '\n';
    return exitStatus::ok;
  }
  SummaryBuilder builder(judging, temporaryFileSpill());
  CampaignRead read = readCampaign(command.csvFile, [&](const CampaignRow& row) {
    builder.add(row);
    seen.add(row);
  });
  read.manifest.judging = judgingOf(judging);
  const CampaignSummary summary = builder.finish();
  writeCampaignPage(page, summary, builder, read.manifest, !seen.targeted, command.csvFile,
                    command.csvFile);
  err << "Wrote " << command.htmlFile << ": the campaign of " << command.csvFile << '\n';
  return exitStatus::ok;
}

ReportCli::ReportCli(CLI::App& app) {
  app_ = app.add_subcommand(
      "report",
      "Write the review board's page of a study's result (one self-contained HTML file) from "
      "its CSV: a campaign's, a merged one or a sensitivity study's, its manifest beside it");
  ReportCommand& c = command_;
  const auto domain = campaignSettingsDomain();
  namesFile(app_->add_option("CSV", c.csvFile, "the study's CSV file")->required())
      ->type_name("FILE.csv");
  namesFile(app_->add_option("--html", c.htmlFile, "write the page to FILE")->required())
      ->type_name("FILE.html");
  addSetting(app_, "--reserve", domain, "min_remaining_propellant_kg", c.reserve_kg,
             "propellant a successful orbit keeps at least (kg; or 500kg); default: the "
             "manifest's",
             false);
  app_->add_option("--require", c.requirements,
                   "a requirement on an output column, as ascent dispersions takes it "
                   "(repeatable); given, the manifest's are not judged")
      ->type_name("OUTPUT>=VALUE|OUTPUT<=VALUE")
      ->allow_extra_args(false);
  addSetting(app_, "--probability", domain, "probability", c.probability,
             "the share of runs a requirement holds in; default: the manifest's", false);
  addSetting(app_, "--confidence", domain, "confidence", c.confidence,
             "the confidence of the requirements and the reserve; default: the manifest's", false);
  app_->add_option("--resamples", c.resamples,
                   "a sensitivity study's bootstrap resamples of each interval")
      ->type_name("N")
      ->capture_default_str();
  app_->callback([this] {
    for (const std::string& text : command_.requirements) {
      readOption("--require", [&] { parseRequirement(text); });
    }
  });
}

int ReportCli::run(std::ostream& out, std::ostream& err) const {
  return runReportCommand(command_, out, err);
}

}  // namespace ascent

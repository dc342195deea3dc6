// ascent dispersions: a campaign of runs with the vehicle's values drawn
// from a dispersion file, one CSV row per run, a summary; and the merge of a
// campaign's shards.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/command_cli.h"
#include "app/thrust_file.h"
#include "ascent/campaign.h"

namespace ascent {

struct DispersionsCommand {
  std::vector<std::string> files;  // the dispersion file; with --merge the shards
  std::string runs;                // N or A:B, read into the settings' runs
  CampaignSettings settings;       // no limit: targeted on the nominal vehicle
  unsigned jobs = 0;               // 0: the machine's cores
  std::string vehicleFile;
  ThrustOption thrust;
  std::string csvFile;  // empty: the rows on standard output (unless --json)
  bool json = false;
  bool resume = false;
  std::string plotDirectory;
  std::string mergeFile;                  // --merge OUT.csv
  std::string reportFile;                 // --report FILE.html: the review page
  std::vector<std::string> requirements;  // as given, read into the settings
  std::string guidance, know;             // as given, read into the settings
};

// Adds the subcommand to the command line; parsed() says whether it was
// given, run() runs it and returns the exit status.
class DispersionsCli final : public CommandCli {
 public:
  explicit DispersionsCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override;

 private:
  void addCampaignOptions();
  void addJudgingOptions();
  // The options read together, once all are parsed.
  void readOptions();
  DispersionsCommand command_;
  CLI::App* app_;
  CLI::Option *seed_ = nullptr, *turnTime_ = nullptr, *limit_ = nullptr;
  CLI::Option *guidance_ = nullptr, *retarget_ = nullptr;
  bool retargetFlag_ = false;
};

int runDispersionsCommand(const DispersionsCommand& command, std::ostream& out, std::ostream& err);

// The merge of --merge OUT.csv SHARD...: the shards' rows in one CSV.
int runDispersionsMerge(const DispersionsCommand& command, std::ostream& out, std::ostream& err);

class OutputFolder;

// What both end with: the summary, as JSON on `out` or as text on `words`,
// and the charts of --plot into `charts` (none: no --plot). Returns ok, or
// noDesign when a requirement is not met or has too few runs to be verified.
int finishCampaign(const CampaignSummary& summary, SummaryBuilder& builder,
                   const CampaignManifest& manifest, const DispersionsCommand& command,
                   double targetAltitude_m, OutputFolder* charts, std::ostream& out,
                   std::ostream& words);

}  // namespace ascent

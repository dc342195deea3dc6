// ascent report: the review board's page of a study's result, made from its
// CSV (a campaign's, a merged one, or a sensitivity study's) with the
// manifest beside it; and the pages the studies write with --report.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "app/command_cli.h"
#include "ascent/sensitivity.h"
#include "ascent/writers.h"

namespace ascent {

struct ReportCommand {
  std::string csvFile;
  std::string htmlFile;
  // The judging, each as given; not given: the manifest's, else the default.
  std::vector<std::string> requirements;
  std::optional<double> reserve_kg, probability, confidence;
  std::size_t resamples = SensitivitySettings().resamples;
};

class ReportCli final : public CommandCli {
 public:
  explicit ReportCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override;

 private:
  ReportCommand command_;
  CLI::App* app_;
};

int runReportCommand(const ReportCommand& command, std::ostream& out, std::ostream& err);

// The settings a CSV's summary is judged by: the manifest's judging (the
// defaults when it records none), each part the command gives replacing it.
CampaignSettings reportJudging(const ReportCommand& command, const CampaignManifest& manifest);

// Whether the fixed limit of a campaign's runs was given rather than
// targeted, told from its rows as they go by.
struct LimitSeen {
  bool targeted = false;
  void add(const CampaignRow& row) { targeted = targeted || row.targeting.has_value(); }
};

// The page of a campaign's summary into `page`, committed: `madeFrom` says
// from what, `csvFile` is where the command that flies the runs again
// writes them.
void writeCampaignPage(OutputFile& page, const CampaignSummary& summary, SummaryBuilder& builder,
                       const CampaignManifest& manifest, bool limitGiven,
                       const std::string& madeFrom, const std::string& csvFile);
// The page of a sensitivity study's indices.
void writeSensitivityPage(OutputFile& page, const SensitivityResult& result,
                          const std::string& madeFrom, const std::string& csvFile);

}  // namespace ascent

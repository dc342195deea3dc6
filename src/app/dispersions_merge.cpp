// ascent dispersions --merge: the CSV files of a campaign's shards joined
// into one, with its manifest and the summary of the whole campaign.
#include <ostream>

#include "app/campaign_charts.h"
#include "app/command_safety.h"
#include "app/dispersions_command.h"
#include "app/gnuplot.h"
#include "app/report_command.h"
#include "ascent/campaign_store.h"
#include "ascent/writers.h"
#include "files/campaign_csv.h"
#include "report/campaign_text.h"
#include "report/printf_text.h"

namespace ascent {

int runDispersionsMerge(const DispersionsCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  addMergeFiles(files, command.files, command.mergeFile);
  addCampaignCharts(files, command.plotDirectory);
  if (!command.reportFile.empty()) files.output(command.reportFile, "the page");
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
  const std::unique_ptr<OutputFolder> charts = createCampaignCharts(command.plotDirectory);
  std::unique_ptr<OutputFile> page;
  if (!command.reportFile.empty()) page = std::make_unique<OutputFile>(command.reportFile);
  LimitSeen seen;
  SummaryBuilder builder(command.settings, temporaryFileSpill());
  const MergedCampaign merged = mergeCampaign(
      command.files, command.mergeFile,
      [&](const CampaignRow& row) {
        builder.add(row);
        seen.add(row);
      },
      campaignSampler, judgingOf(command.settings));
  std::ostream& words = command.json ? err : out;
  words << "Merged " << count(merged.shards, "shard") << " into " << command.mergeFile << '\n';
  // The manifest names no vehicle to aim the chart's target mark by.
  const double targetAltitude_m = Vehicle::defaults().guidance.target_altitude_m;
  const CampaignSummary summary = builder.finish();
  const int status = finishCampaign(summary, builder, merged.manifest, command, targetAltitude_m,
                                    charts.get(), out, words);
  if (page) {
    writeCampaignPage(*page, summary, builder, merged.manifest, !seen.targeted, command.mergeFile,
                      command.mergeFile);
  }
  return status;
}

int finishCampaign(const CampaignSummary& summary, SummaryBuilder& builder,
                   const CampaignManifest& manifest, const DispersionsCommand& command,
                   double targetAltitude_m, OutputFolder* charts, std::ostream& out,
                   std::ostream& words) {
  if (command.json) {
    out << jsonText(campaignSummaryValue(summary, manifest)) << '\n';
  } else {
    words << campaignSummaryText(summary, manifest);
  }
  out.flush();
  if (charts != nullptr) {
    plotCampaign(builder, summary, command.settings.requirements, targetAltitude_m, *charts);
  }
  for (const RequirementResult& requirement : summary.requirements) {
    if (requirement.verdict != RequirementVerdict::Met) return exitStatus::noDesign;
  }
  return exitStatus::ok;
}

}  // namespace ascent

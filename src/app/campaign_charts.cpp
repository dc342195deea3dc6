#include "app/campaign_charts.h"

#include <array>

#include "app/charts.h"
#include "report/campaign_text.h"
#include "report/printf_text.h"

namespace ascent {

void addCampaignCharts(OutputSet& files, const std::string& directory) {
  if (directory.empty()) return;
  // The folder itself is no other output: a CSV of its name would meet it
  // only when the campaign has been flown.
  files.output(directory, "the chart folder");
  for (const char* chart : campaignChartFiles) {
    files.output(folderFile(directory, chart), std::string("the chart ") + chart,
                 Placement::replacingName);
  }
}

std::unique_ptr<OutputFolder> createCampaignCharts(const std::string& directory) {
  if (directory.empty()) return nullptr;
  return std::make_unique<OutputFolder>(directory, campaignChartFiles);
}

void plotCampaign(SummaryBuilder& builder, const CampaignSummary& summary,
                  const std::vector<Requirement>& requirements, double targetAltitude_m,
                  OutputFolder& charts) {
  const std::vector<std::string> pngs =
      campaignCharts(campaignChartData(builder, summary, requirements), targetAltitude_m);
  // Drawn in a private directory, moved into place here.
  for (std::size_t i = 0; i < pngs.size(); ++i) charts.file(i).write(pngs[i]);
  charts.commit();
}

}  // namespace ascent

#include "app/campaign_charts.h"

#include <array>
#include <cerrno>
#include <filesystem>

#include "app/charts.h"
#include "app/mission_output.h"
#include "report/campaign_text.h"

namespace ascent {

void addCampaignCharts(OutputSet& files, const std::string& directory) {
  if (directory.empty()) return;
  for (const char* chart : campaignChartFiles) {
    files.output((std::filesystem::path(directory) / chart).string(),
                 std::string("the chart ") + chart);
  }
}

void plotCampaign(SummaryBuilder& builder, const CampaignSummary& summary, double targetAltitude_m,
                  const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (!std::filesystem::is_directory(directory)) {
    errno = error ? error.value() : ENOTDIR;
    throwFileError("cannot create the directory", directory);
  }
  const std::vector<std::string> charts =
      campaignCharts(campaignChartData(builder, summary), targetAltitude_m);
  // Drawn in a private directory, moved into place here.
  for (std::size_t i = 0; i < charts.size(); ++i) {
    OutputFile png((std::filesystem::path(directory) / campaignChartFiles[i]).string());
    png.write(charts[i]);
    png.commit();
  }
}

}  // namespace ascent

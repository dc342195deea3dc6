#include "app/campaign_charts.h"

#include <array>

#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "report/campaign_text.h"

namespace ascent {

namespace {

// The chart files of --plot DIR, in the order the script draws them.
constexpr std::array<const char*, 3> chartFiles = {"orbits.png", "average_altitude.png",
                                                   "SC_M.png"};

// The script, its data sets as inline data blocks. gnuplot writes to fixed
// names (chartName) and never sees a name the user chose.
std::string campaignScript(const CampaignChartData& data, double targetAltitude_m) {
  std::string blocks;
  auto put = [&blocks](const char* name, const std::string& text) {
    blocks += std::string("$") + name + " << EOD\n" + text + "EOD\n";
  };
  put("points", data.points);
  put("ellipses", data.ellipses);
  put("altitude", data.altitude);
  put("scm", data.spacecraftMass);
  const std::string target = exactText(targetAltitude_m / 1000);
  return blocks +
         "set terminal pngcairo size 900,700 font 'sans,10'\n"
         "set output " +
         gnuplotString(chartName(0)) +
         "\n"
         "set title 'Perigee against apogee, with the 1-, 2- and 3-sigma ellipses'\n"
         "set xlabel 'perigee (km)'\nset ylabel 'apogee (km)'\nset grid\nset key top left\n"
         "set label 1 'target' at " +
         target + "," + target +
         " point pt 6 ps 2 lc rgb 'red' offset 1,1\n"
         "plot $points using 1:2 with points pt 7 ps 0.3 lc rgb '#4060a0' title 'runs', "
         "$ellipses index 0 using 1:2 with lines lw 2 title '1 sigma', "
         "$ellipses index 1 using 1:2 with lines lw 2 title '2 sigma', "
         "$ellipses index 2 using 1:2 with lines lw 2 title '3 sigma'\n"
         "unset label 1\n"
         "set terminal pngcairo size 800,500 font 'sans,10'\n"
         "set style fill solid 0.6\nset key off\nset ylabel 'runs'\n"
         "set output " +
         gnuplotString(chartName(1)) +
         "\n"
         "set title 'Average orbit altitude'\nset xlabel 'average altitude (km)'\n"
         "plot $altitude using 1:2 with boxes lc rgb '#4060a0'\n"
         "set output " +
         gnuplotString(chartName(2)) +
         "\n"
         "set title 'Spacecraft mass SC\\_M'\nset xlabel 'SC\\_M (kg)'\n"
         "plot $scm using 1:2 with boxes lc rgb '#40a060'\n"
         "unset output\n";
}

}  // namespace

void addCampaignCharts(OutputSet& files, const std::string& directory) {
  if (directory.empty()) return;
  for (const char* chart : chartFiles) {
    files.output(folderFile(directory, chart), std::string("the chart ") + chart,
                 Placement::replacingName);
  }
}

std::unique_ptr<OutputFolder> createCampaignCharts(const std::string& directory) {
  if (directory.empty()) return nullptr;
  return std::make_unique<OutputFolder>(directory, chartFiles);
}

void plotCampaign(SummaryBuilder& builder, const CampaignSummary& summary, double targetAltitude_m,
                  OutputFolder& charts) {
  const std::string script = campaignScript(campaignChartData(builder, summary), targetAltitude_m);
  const std::vector<std::string> pngs = runGnuplot(script, chartFiles.size());
  // Drawn in a private directory, moved into place here.
  for (std::size_t i = 0; i < pngs.size(); ++i) charts.file(i).write(pngs[i]);
  charts.commit();
}

}  // namespace ascent

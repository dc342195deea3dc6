// The charts of the commands as gnuplot scripts (app/gnuplot.h runs them):
// each function builds its chart's script from a result and returns the
// chart's PNG bytes. Labels come from the results and the program's own
// names, never from a name typed by the user.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "app/plot_data.h"
#include "ascent/performance.h"
#include "ascent/trade.h"
#include "report/campaign_text.h"

namespace ascent {

// The converged turn times of a sweep, gathered as its rows arrive.
struct SweepChart {
  std::string points;     // "turn time, SC_M, limit" lines, every converged row
  std::string feasible;   // "turn time, SC_M" of the designs with propellant left
  std::string overdrawn;  // and of those without
  std::size_t converged = 0;
  double lowest_s = 0, highest_s = 0;  // the turn times charted
  void add(const SweepRow& row);
};
// SC_M and the limit against the turn time over the turn times charted, the
// designs without propellant left apart, the best design (null: none)
// circled and named in the legend below the plot; the title names the
// target altitude.
std::string sweepChart(const SweepChart& chart, const SweepRow* best, double altitude_m);

// The tornado: the change of SC_M for each value 1 % below and above, the
// largest effects at the top.
std::string tornadoChart(const TradeResult& result, const TradeSettings& settings);

// The charts of a dispersion campaign, in the order of campaignChartFiles:
// perigee against apogee with the sigma ellipses and the target, and
// histograms of the average altitude and the spacecraft mass.
constexpr std::array<const char*, 3> campaignChartFiles = {"orbits.png", "average_altitude.png",
                                                           "SC_M.png"};
std::vector<std::string> campaignCharts(const CampaignChartData& data, double targetAltitude_m);

// A chart of a dialogue run: the data file it draws and the chart's file.
struct DialogueChart {
  const char* file;  // data file of the run
  const char* png;   // chart written
  const char* title;
  const char* ylabel;
  const char* key;  // where the legend leaves the curves alone
};
constexpr std::array<DialogueChart, 4> dialogueCharts = {{
    {"speed.dat", "speed.png", "Inertial speed", "speed (m/s)", "top left"},
    {"height.dat", "height.png", "Altitude", "altitude (km)", "bottom right"},
    {"accel.dat", "accel.png", "Thrust acceleration", "thrust acceleration (m/s^2)", "top right"},
    {"dynpres.dat", "dynpres.png", "Dynamic pressure", "dynamic pressure (kPa)", "top right"},
}};
constexpr const char* dialogueOverviewFile = "overview.png";
// One chart per data file, one curve per mission titled with its label in
// `labels` (one for each mission of `curves`), then the four together under
// `title`: the PNGs in the order of dialogueCharts, the overview last.
std::vector<std::string> dialogueRunCharts(const std::array<std::vector<Curve>, 4>& curves,
                                           const std::string& title,
                                           const std::vector<std::string>& labels);
// The payload to orbit: the heaviest spacecraft against the circular orbit
// altitude, one point per altitude with a design.
std::string payloadChart(const PerformanceResult& result, const PerformanceSettings& settings);

}  // namespace ascent

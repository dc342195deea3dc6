#include "app/charts.h"

#include <algorithm>

#include "app/gnuplot.h"
#include "report/design_text.h"
#include "report/printf_text.h"

namespace ascent {

void SweepChart::add(const SweepRow& row) {
  // A flight on target that burns propellant it does not carry is drawn
  // apart: on the orbit, but no design.
  if (row.verdict != Verdict::Converged && row.verdict != Verdict::NoPropellantLeft) return;
  const std::string turnAndMass =
      exactText(row.turnTime_s) + ' ' + exactText(row.mission.sizing.SC_M_kg);
  points += turnAndMass + ' ' + exactText(row.mission.limit_deg) + '\n';
  // The study's rule for a design (betterDesign): propellant left, none overdrawn.
  const bool design = row.verdict == Verdict::Converged && row.mission.remainingPropellant_kg >= 0;
  (design ? feasible : overdrawn) += turnAndMass + '\n';
  if (++converged == 1) lowest_s = row.turnTime_s;
  highest_s = row.turnTime_s;
}

std::string sweepChart(const SweepChart& chart, const SweepRow* best, double altitude_m) {
  // The turn times swept and a little room, not gnuplot's round tics beyond them.
  const double margin_s = std::max(0.03 * (chart.highest_s - chart.lowest_s), 0.5);
  std::string blocks = "$sweep << EOD\n" + chart.points + "EOD\n";
  std::string curves;
  if (!chart.feasible.empty()) {
    blocks += "$feasible << EOD\n" + chart.feasible + "EOD\n";
    curves +=
        "$feasible using 1:2 axes x1y1 with linespoints pt 7 ps 0.6 lc rgb '#9400d3' "
        "title 'SC\\_M (kg)', ";
  }
  if (!chart.overdrawn.empty()) {
    blocks += "$overdrawn << EOD\n" + chart.overdrawn + "EOD\n";
    curves +=
        "$overdrawn using 1:2 axes x1y1 with points pt 6 ps 0.8 lc rgb 'gray50' "
        "title 'SC\\_M, no propellant left', ";
  }
  curves +=
      "$sweep using 1:3 axes x1y2 with linespoints pt 5 ps 0.6 lc rgb '#009e73' "
      "title 'limit (deg)'";
  if (best != nullptr) {
    // Named in the legend, below the plot, where no curve can cross it.
    blocks += "$best << EOD\n" + exactText(best->turnTime_s) + ' ' +
              exactText(best->mission.sizing.SC_M_kg) + "\nEOD\n";
    curves += ", $best using 1:2 axes x1y1 with points pt 6 ps 2 lc rgb 'black' title " +
              gnuplotString(format("best: %s s, %.0f kg", exactText(best->turnTime_s).c_str(),
                                   best->mission.sizing.SC_M_kg));
  }
  const std::string script =
      "set terminal pngcairo size 900,540 font 'sans,10'\n"
      "set output " +
      gnuplotString(chartName(0)) +
      "\n"
      "set title " +
      gnuplotString(format("Turn times on target at %g km average altitude", altitude_m / 1000)) +
      "\n"
      "set xlabel 'turn time (s)'\n"
      "set ylabel 'spacecraft mass SC\\_M (kg)'\n"
      "set y2label 'angle-of-attack limit (deg)'\n"
      "set ytics nomirror\nset y2tics\nset grid\n"
      // Room below the turn-time label for two rows of the legend.
      "set key below horizontal spacing 1.2\nset bmargin 6\n"
      "set xrange [" +
      exactText(chart.lowest_s - margin_s) + ":" + exactText(chart.highest_s + margin_s) +
      "]\n"
      "set offsets 0, 0, graph 0.12, graph 0.12\n" +
      blocks + "plot " + curves + "\nunset output\n";
  return runGnuplot(script, 1).front();
}

std::string tornadoChart(const TradeResult& result, const TradeSettings& settings) {
  const std::string title =
      format("Spacecraft mass for a 1 %% change of each value (%s, SC_M %.0f kg)",
             settings.reoptimize ? "turn time re-optimized"
                                 : ("turn time " + exactText(settings.turnTime_s) + " s").c_str(),
             result.base.mission.sizing.SC_M_kg);
  constexpr std::size_t shown = 20;
  std::string data;
  std::size_t traded = 0;
  // Gains of the keys that change the flight: not the bookkeeping of the
  // re-sizing, nor ratios built on propellant a flight does not carry.
  const auto charted = [](const TradeRow& row) {
    return row.status == TradeStatus::Ok && row.changesFlight;
  };
  for (const TradeRow& row : result.rows) traded += charted(row);
  const std::size_t n = std::min(traded, shown);
  std::size_t y = n;
  for (const TradeRow& row : result.rows) {
    if (!charted(row) || y == 0) continue;
    data += std::to_string(y--) + ' ' + exactText(row.below_kg) + ' ' + exactText(row.above_kg) +
            ' ' + row.key + '\n';
  }
  const std::string script =
      "set terminal pngcairo size 1000," + std::to_string(200 + 28 * n) +
      " font 'sans,10' noenhanced\n"
      "set output " +
      gnuplotString(chartName(0)) + "\nset title " + gnuplotString(title) +
      "\n"
      "set xlabel " +
      gnuplotString(format(
          "change of the spacecraft mass SC_M (kg); the %zu largest effects of %zu", n, traded)) +
      "\n"
      "set ytics nomirror\nset grid xtics\nset key bottom right\n"
      "set yrange [0.3:" +
      std::to_string(n) +
      ".7]\n"
      "set style fill solid 0.8 noborder\n"
      "set xzeroaxis lt -1\n"
      "$tornado << EOD\n" +
      data +
      "EOD\n"
      "plot $tornado using ($2/2):1:(abs($2/2)):(0.35):ytic(4) with boxxyerror lc rgb '#c0504d' "
      "title 'value 1 % lower', "
      "$tornado using ($3/2):1:(abs($3/2)):(0.35) with boxxyerror lc rgb '#4f81bd' "
      "title 'value 1 % higher'\n"
      "unset output\n";
  return runGnuplot(script, 1).front();
}

namespace {

// The target orbit's point in the perigee-apogee plane (km).
std::string pointText(double altitude_m) {
  return exactText(altitude_m / 1000) + ' ' + exactText(altitude_m / 1000) + '\n';
}

// The script, its data sets as inline data blocks. gnuplot writes to fixed
// names (chartName) and never sees a name the user chose.
std::string campaignScript(const CampaignChartData& data, double targetAltitude_m) {
  std::string blocks;
  auto put = [&blocks](const char* name, const std::string& text) {
    blocks += std::string("$") + name + " << EOD\n" + text + "EOD\n";
  };
  put("points", data.points);
  put("missed", data.missed);
  put("ellipses", data.ellipses);
  put("extent", data.extent);
  put("target", pointText(targetAltitude_m));
  put("altitude", data.altitude);
  put("scm", data.spacecraftMass);
  const std::string extent =
      format("%.10g %% to %.10g %% points", data.extentPercent, 100 - data.extentPercent);
  // Each requirement on the perigee or the apogee as a line across the plot
  // at its value, named at its end.
  std::string requirementLines;
  for (std::size_t i = 0; i < data.requirements.size(); ++i) {
    const ChartedRequirement& r = data.requirements[i];
    const std::string at = exactText(r.value_km);
    requirementLines +=
        r.onPerigee
            ? format(
                  "set arrow %zu from first %s, graph 0 to first %s, graph 1 nohead dt 3 lw 2 "
                  "lc rgb '#208020'\nset label %zu %s at first %s, graph 0.97 right offset -0.5,0 "
                  "tc rgb '#208020' noenhanced\n",
                  i + 10, at.c_str(), at.c_str(), i + 10, gnuplotString(r.text).c_str(), at.c_str())
            : format(
                  "set arrow %zu from graph 0, first %s to graph 1, first %s nohead dt 3 lw 2 "
                  "lc rgb '#208020'\nset label %zu %s at graph 0.03, first %s offset 0,0.7 "
                  "tc rgb '#208020' noenhanced\n",
                  i + 10, at.c_str(), at.c_str(), i + 10, gnuplotString(r.text).c_str(),
                  at.c_str());
  }
  // A histogram of no run has no range to draw on: an empty chart says so.
  const std::string noRun = "set label 1 'no run reached a closed orbit' at graph 0.5,0.5 center\n";
  auto histogramPlot = [&data, &noRun](const char* block) {
    if (!data.closedOrbits) {
      return "set xrange [0:1]\nset yrange [0:1]\n" + noRun +
             "plot NaN notitle\nunset label 1\nset autoscale\n";
    }
    return format(
        "plot $%s using 1:2 with boxes lc rgb '#4060a0' title 'success', "
        "$%s using 1:3 with boxes lc rgb '#d03030' title 'not a success'\n",
        block, block);
  };
  // The legend sits below the plot and names the target: no label lies on
  // the cloud. The runs that were not a success are drawn larger and first:
  // where both kinds lie on one stretch of the thin cloud, both show.
  return blocks +
         "set terminal pngcairo size 900,760 font 'sans,10'\n"
         "set output " +
         gnuplotString(chartName(0)) +
         "\n"
         "set title 'Perigee against apogee of the runs with a closed orbit'\n"
         "set xlabel 'perigee (km)'\nset ylabel 'apogee (km)'\nset grid\n"
         "set key below\n" +
         (data.closedOrbits ? "" : noRun) + requirementLines +
         "plot $ellipses index 0 using 1:2 with lines lw 2 title '1 sigma', "
         "$ellipses index 1 using 1:2 with lines lw 2 title '2 sigma', "
         "$ellipses index 2 using 1:2 with lines lw 2 title '3 sigma', "
         "$extent using 1:2 with lines dt 2 lw 1.5 lc rgb '#404040' title " +
         gnuplotString(extent) +
         ", "
         "$missed using 1:2 with points pt 7 ps 0.5 lc rgb '#d03030' title 'not a success', "
         "$points using 1:2 with points pt 7 ps 0.25 lc rgb '#4060a0' title 'success', "
         "$target using 1:2 with points pt 6 ps 2.5 lw 2 lc rgb 'black' title 'target'\n"
         "unset label\nunset arrow\n"
         "set terminal pngcairo size 800,500 font 'sans,10'\n"
         "set style fill solid 0.6\nset ylabel 'runs'\n"
         "set output " +
         gnuplotString(chartName(1)) +
         "\n"
         "set title 'Average orbit altitude of the runs with a closed orbit'\n"
         "set xlabel 'average altitude (km)'\n" +
         histogramPlot("altitude") + "set output " + gnuplotString(chartName(2)) +
         "\n"
         "set title 'Spacecraft mass SC\\_M of the runs with a closed orbit'\n"
         "set xlabel 'SC\\_M (kg)'\n" +
         histogramPlot("scm") + "unset output\n";
}

// The curves as a gnuplot data block: one index per mission.
std::string dataBlock(const std::string& name, const std::vector<Curve>& curves) {
  std::string block = "$" + name + " << EOD\n";
  for (std::size_t m = 0; m < curves.size(); ++m) {
    if (m > 0) block += "\n\n";
    for (std::size_t i = 0; i < curves[m].time_s.size(); ++i) {
      block += exactText(curves[m].time_s[i]) + ' ' + exactText(curves[m].value[i]) + '\n';
    }
  }
  return block + "EOD\n";
}

// One curve per mission, in the order of `labels`, titled with its label.
std::string plotLine(const std::string& name, const std::vector<std::string>& labels) {
  std::string line = "plot ";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    line +=
        format("%s$%s index %zu with lines lw 1.5 title ", i == 0 ? "" : ", ", name.c_str(), i) +
        gnuplotString(labels[i]);
  }
  return line + "\n";
}

// The data block's name: the data file's without ".dat".
std::string blockName(const DialogueChart& chart) {
  const std::string file = chart.file;
  return file.substr(0, file.find('.'));
}

// Chart sizes in pixels (the tests check them).
constexpr const char* chartSize = "800,500";
constexpr const char* overviewSize = "1200,900";

}  // namespace

std::vector<std::string> campaignCharts(const CampaignChartData& data, double targetAltitude_m) {
  return runGnuplot(campaignScript(data, targetAltitude_m), campaignChartFiles.size());
}

std::vector<std::string> dialogueRunCharts(const std::array<std::vector<Curve>, 4>& curves,
                                           const std::string& title,
                                           const std::vector<std::string>& labels) {
  std::string script;
  for (std::size_t c = 0; c < dialogueCharts.size(); ++c) {
    script += dataBlock(blockName(dialogueCharts[c]), curves[c]);
  }
  script += "set grid\nset xlabel 'mission time (s)'\n";
  for (std::size_t c = 0; c < dialogueCharts.size(); ++c) {
    const DialogueChart& chart = dialogueCharts[c];
    script += std::string("set terminal pngcairo size ") + chartSize + " font 'sans,10'\n";
    script += "set output " + gnuplotString(chartName(c)) + "\n";
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(blockName(chart), labels);
    script += "unset output\n";
  }
  script += std::string("set terminal pngcairo size ") + overviewSize + " font 'sans,10'\n";
  script += "set output " + gnuplotString(chartName(dialogueCharts.size())) + "\n";
  script += "set multiplot layout 2,2 title " + gnuplotString(title) + "\n";
  for (std::size_t c = 0; c < dialogueCharts.size(); ++c) {
    const DialogueChart& chart = dialogueCharts[c];
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(blockName(chart), labels);
  }
  script += "unset multiplot\nunset output\n";
  return runGnuplot(script, dialogueCharts.size() + 1);
}

std::string payloadChart(const PerformanceResult& result, const PerformanceSettings& settings) {
  std::string points;
  std::size_t without = 0;
  double lowest_km = 0, highest_km = 0, withoutFrom_km = 0, withoutTo_km = 0;
  for (const PerformanceRow& row : result.rows) {
    const double altitude_km = row.altitude_m / 1000;
    lowest_km = &row == &result.rows.front() ? altitude_km : std::min(lowest_km, altitude_km);
    highest_km = std::max(highest_km, altitude_km);
    if (row.found) {
      points += exactText(altitude_km) + ' ' + exactText(row.design.mission.sizing.SC_M_kg) + '\n';
      continue;
    }
    withoutFrom_km = ++without == 1 ? altitude_km : std::min(withoutFrom_km, altitude_km);
    withoutTo_km = std::max(withoutTo_km, altitude_km);
  }
  // Every altitude asked for stays on the axis; those without a design are
  // named in a label below the key.
  std::string extras;
  if (lowest_km < highest_km) {
    const double margin_km = (highest_km - lowest_km) / 20;
    extras += "set xrange [" + exactText(lowest_km - margin_km) + ":" +
              exactText(highest_km + margin_km) + "]\n";
  }
  if (without > 0) {
    const std::string where =
        without == 1 ? exactText(withoutFrom_km) + " km"
                     : format("%zu altitudes from %s to %s km", without,
                              exactText(withoutFrom_km).c_str(), exactText(withoutTo_km).c_str());
    extras += "set label 1 " + gnuplotString("no design at " + where) +
              " at graph 0.98, graph 0.88 right\n";
  }
  std::string title = "Heaviest spacecraft against circular orbit altitude (turn times " +
                      exactText(settings.optimize.from_s) + " to " +
                      exactText(settings.optimize.to_s) + " s" +
                      dynamicPressureLimitText(settings.optimize.search) + ")";
  const std::string script =
      "set terminal pngcairo size 900,540 font 'sans,10'\n"
      "set output " +
      gnuplotString(chartName(0)) + "\nset title " + gnuplotString(title) +
      "\n"
      "set xlabel 'circular orbit altitude (km)'\n"
      "set ylabel 'spacecraft mass SC\\_M (kg)'\n"
      "set grid\nset key top right\n"
      "set offsets 0, 0, graph 0.1, graph 0.1\n" +
      extras + "$payload << EOD\n" + points +
      "EOD\n"
      "plot $payload using 1:2 with linespoints pt 7 ps 0.8 "
      "title 'SC\\_M at the optimum turn time'\n"
      "unset output\n";
  return runGnuplot(script, 1).front();
}

}  // namespace ascent

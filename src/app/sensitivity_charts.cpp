#include "app/sensitivity_charts.h"

#include <algorithm>

#include "app/gnuplot.h"
#include "report/printf_text.h"
#include "report/sensitivity_text.h"

namespace ascent {

namespace {

std::vector<std::string_view> chartedOutputs(std::string_view output) {
  if (!output.empty()) return {output};
  const auto names = sensitivityOutputNames();
  return {names.begin(), names.end()};
}

// One output's bars: S1 above ST for each factor, the most important at
// the top, each with its 95 % interval; a share of the variance runs from 0
// to 1, an estimate a little beyond either.
std::string chartScript(const SensitivityResult& result, std::string_view output,
                        std::size_t index) {
  const std::string data = sensitivityChartData(result, output);
  const std::size_t n = result.factors.size();
  const std::string block = "$indices" + std::to_string(index);
  return "set terminal pngcairo size 1000," + std::to_string(200 + 40 * n) +
         " font 'sans,10' noenhanced\nset output " + gnuplotString(chartName(index)) +
         "\nset title " +
         gnuplotString(format("%s under the %s guidance: Sobol indices of %zu factors, %llu rows, "
                              "95 %% intervals",
                              std::string(output).c_str(),
                              std::string(guidanceName(result.manifest.guidance)).c_str(), n,
                              static_cast<unsigned long long>(result.rows))) +
         "\nset xlabel 'share of the variance of " + std::string(output) +
         "'\n"
         "set ytics nomirror\nset grid xtics\nset key bottom right\nset xrange [-0.05:1.05]\n"
         "set yrange [0.4:" +
         std::to_string(n) + ".6]\nset style fill solid 0.8 noborder\n" + block + " << EOD\n" +
         data +
         "EOD\n"
         "plot " +
         block + " using ($2/2):($1+0.17):(abs($2/2)):(0.15):ytic(8) with boxxyerror lc rgb " +
         "'#4f81bd' title 'S1: alone', " + block +
         " using ($5/2):($1-0.17):(abs($5/2)):(0.15) with boxxyerror lc rgb '#c0504d' title 'ST: "
         "with its interactions', " +
         block + " using 2:($1+0.17):3:4 with xerrorbars lc rgb 'black' pt -1 notitle, " + block +
         " using 5:($1-0.17):6:7 with xerrorbars lc rgb 'black' pt -1 notitle\nunset output\n";
}

}  // namespace

std::vector<std::string> sensitivityChartFiles(std::string_view output) {
  std::vector<std::string> files;
  for (const std::string_view name : chartedOutputs(output)) {
    files.push_back("sensitivity_" + std::string(name) + ".png");
  }
  return files;
}

void addSensitivityCharts(OutputSet& files, const std::string& directory, std::string_view output) {
  if (directory.empty()) return;
  files.output(directory, "the chart folder");
  for (const std::string& chart : sensitivityChartFiles(output)) {
    files.output(folderFile(directory, chart), "the chart " + chart, Placement::replacingName);
  }
}

std::unique_ptr<OutputFolder> createSensitivityCharts(const std::string& directory,
                                                      std::string_view output) {
  if (directory.empty()) return nullptr;
  const std::vector<std::string> names = sensitivityChartFiles(output);
  std::vector<const char*> pointers;
  for (const std::string& name : names) pointers.push_back(name.c_str());
  return std::make_unique<OutputFolder>(directory, pointers);
}

void plotSensitivity(const SensitivityResult& result, std::string_view output,
                     OutputFolder& charts) {
  const std::vector<std::string_view> outputs = chartedOutputs(output);
  std::string script;
  for (std::size_t i = 0; i < outputs.size(); ++i) script += chartScript(result, outputs[i], i);
  const std::vector<std::string> pngs = runGnuplot(script, outputs.size());
  for (std::size_t i = 0; i < pngs.size(); ++i) charts.file(i).write(pngs[i]);
  charts.commit();
}

}  // namespace ascent

// ascent plot: PNG charts of the data files of a dialogue run, one curve per
// mission, drawn by gnuplot.
#include <filesystem>
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "app/plot_data.h"
#include "mission/run_error.h"

namespace ascent {

namespace {

struct Chart {
  const char* file;  // data file of the run
  const char* png;   // chart written
  const char* title;
  const char* ylabel;
  const char* key;  // where the legend leaves the curves alone
};

constexpr Chart charts[] = {
    {"speed.dat", "speed.png", "Inertial speed", "speed (m/s)", "top left"},
    {"height.dat", "height.png", "Altitude", "altitude (km)", "bottom right"},
    {"accel.dat", "accel.png", "Thrust acceleration", "thrust acceleration (m/s^2)", "top right"},
    {"dynpres.dat", "dynpres.png", "Dynamic pressure", "dynamic pressure (kPa)", "top right"},
};

// Chart sizes in pixels (the tests check them).
constexpr const char* chartSize = "800,500";
constexpr const char* overviewSize = "1200,900";

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

std::string plotLine(const std::string& name, std::size_t missions) {
  return format(
      "plot for [i=0:%zu] $%s index i with lines lw 1.5 title sprintf('mission %%d', i+1)\n",
      missions - 1, name.c_str());
}

}  // namespace

int runPlotCommand(const PlotCommand& command, std::ostream& out) {
  const std::filesystem::path data = command.dataDirectory;
  const std::filesystem::path outDir =
      command.outDirectory.empty() ? data : std::filesystem::path(command.outDirectory);
  std::vector<const char*> pngFiles;
  for (const Chart& chart : charts) pngFiles.push_back(chart.png);
  pngFiles.push_back("overview.png");
  std::vector<std::string> pngNames;
  for (const char* png : pngFiles) pngNames.push_back(folderFile(outDir.string(), png));
  OutputSet files;
  for (const Chart& chart : charts) files.input((data / chart.file).string(), "the data file");
  for (const std::string& png : pngNames) files.output(png, "the chart", Placement::replacingName);
  files.standardOutput();
  refuseClashes(files);
  requireGnuplot();
  OutputFolder pngs(outDir.string(), pngFiles);

  std::string blocks;
  std::vector<std::size_t> missions;
  std::vector<double> firstTimes;  // every line's time in the first file
  for (const Chart& chart : charts) {
    const std::string name = (data / chart.file).string();
    std::vector<double> times;
    const std::vector<Curve> curves = readMissionCurves(readInputFile(name), name, &times);
    if (curves.empty()) throw Error(errorCode::unusableData, name + " holds no data");
    // The four files of one run have the same lines at the same times.
    if (firstTimes.empty()) {
      firstTimes = times;
    } else if (times != firstTimes) {
      std::size_t line = 0;
      while (line < times.size() && line < firstTimes.size() && times[line] == firstTimes[line])
        ++line;
      throw Error(errorCode::unusableData,
                  name + " does not describe the missions of " + (data / charts[0].file).string() +
                      " (they differ from data line " + std::to_string(line + 1) + " on)");
    }
    std::string block = std::filesystem::path(chart.file).stem().string();
    blocks += dataBlock(block, curves);
    missions.push_back(curves.size());
  }

  std::string script = blocks;
  script += "set grid\nset xlabel 'mission time (s)'\n";
  for (std::size_t c = 0; c < std::size(charts); ++c) {
    const Chart& chart = charts[c];
    const std::string name = std::filesystem::path(chart.file).stem().string();
    script += std::string("set terminal pngcairo size ") + chartSize + " font 'sans,10'\n";
    script += "set output " + gnuplotString(chartName(c)) + "\n";
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(name, missions[c]);
    script += "unset output\n";
  }
  script += std::string("set terminal pngcairo size ") + overviewSize + " font 'sans,10'\n";
  script += "set output " + gnuplotString(chartName(std::size(charts))) + "\n";
  script += "set multiplot layout 2,2 title " +
            gnuplotString(
                data == "." ? format("Dialogue run: %s", count(missions.front(), "mission").c_str())
                            : format("Dialogue run in %s: %s", data.string().c_str(),
                                     count(missions.front(), "mission").c_str())) +
            "\n";
  for (std::size_t c = 0; c < std::size(charts); ++c) {
    const Chart& chart = charts[c];
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(std::filesystem::path(chart.file).stem().string(), missions[c]);
  }
  script += "unset multiplot\nunset output\n";
  const std::vector<std::string> bytes = runGnuplot(script, pngs.size());
  for (std::size_t i = 0; i < pngs.size(); ++i) pngs.file(i).write(bytes[i]);
  pngs.commit();
  std::string written;
  for (const std::string& png : pngNames) written += png + '\n';
  writeOut(out, written);
  return exitStatus::ok;
}

}  // namespace ascent

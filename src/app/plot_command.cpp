// ascent plot: PNG charts of the data files of a dialogue run, one curve per
// mission, drawn by gnuplot.
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "app/plot_data.h"

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

std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    errno = errno != 0 ? errno : 2;
    throwFileError("cannot open", file.string());
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
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
  std::string blocks;
  std::vector<std::size_t> missions;
  for (const Chart& chart : charts) {
    const std::string name = (data / chart.file).string();
    const std::vector<Curve> curves = readMissionCurves(readText(data / chart.file), name);
    if (curves.empty()) throw Error(exitStatus::fileError, name + " holds no data");
    std::string block = std::filesystem::path(chart.file).stem().string();
    blocks += dataBlock(block, curves);
    missions.push_back(curves.size());
  }
  std::error_code ignored;
  std::filesystem::create_directories(outDir, ignored);

  std::string script = blocks;
  script += "set grid\nset xlabel 'mission time (s)'\n";
  for (std::size_t c = 0; c < std::size(charts); ++c) {
    const Chart& chart = charts[c];
    const std::string name = std::filesystem::path(chart.file).stem().string();
    script += std::string("set terminal pngcairo size ") + chartSize + " font 'sans,10'\n";
    script += "set output " + gnuplotString((outDir / chart.png).string()) + "\n";
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(name, missions[c]);
    script += "unset output\n";
  }
  script += std::string("set terminal pngcairo size ") + overviewSize + " font 'sans,10'\n";
  script += "set output " + gnuplotString((outDir / "overview.png").string()) + "\n";
  script += "set multiplot layout 2,2 title " +
            gnuplotString(data == "." ? format("Dialogue run: %zu missions", missions.front())
                                      : format("Dialogue run in %s: %zu missions",
                                               data.string().c_str(), missions.front())) +
            "\n";
  for (std::size_t c = 0; c < std::size(charts); ++c) {
    const Chart& chart = charts[c];
    script += "set title " + gnuplotString(chart.title) + "\n";
    script += "set ylabel " + gnuplotString(chart.ylabel) + "\n";
    script += std::string("set key ") + chart.key + "\n";
    script += plotLine(std::filesystem::path(chart.file).stem().string(), missions[c]);
  }
  script += "unset multiplot\nunset output\n";
  runGnuplot(script);
  for (const Chart& chart : charts) out << (outDir / chart.png).string() << '\n';
  out << (outDir / "overview.png").string() << '\n';
  return exitStatus::ok;
}

}  // namespace ascent

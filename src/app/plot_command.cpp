// ascent plot: PNG charts of the data files of a dialogue run, one curve per
// mission, drawn by gnuplot.
#include <array>
#include <filesystem>
#include <ostream>

#include "app/charts.h"
#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/plot_data.h"
#include "ascent/errors.h"
#include "report/printf_text.h"

namespace ascent {

namespace {

// "mission 2: turn 18 s, limit 24.06 deg"; "mission 2" without a report.
std::vector<std::string> missionLabels(std::size_t missions, const PlotCommand& command,
                                       const std::string& dataFile) {
  std::vector<std::string> labels;
  for (std::size_t m = 1; m <= missions; ++m) labels.push_back("mission " + std::to_string(m));
  if (command.reportFile.empty()) return labels;
  const std::vector<ReportedMission> reported =
      readReportedMissions(readInputFile(command.reportFile));
  if (reported.size() != missions) {
    throw Error(errorCode::unusableData,
                format("%s is not the report of this run: it names %s, %s holds %s",
                       command.reportFile.c_str(), count(reported.size(), "mission").c_str(),
                       dataFile.c_str(), count(missions, "mission").c_str()));
  }
  for (std::size_t m = 0; m < missions; ++m) {
    labels[m] += ": turn " + reported[m].turnTime_s + " s";
    if (!reported[m].limit_deg.empty()) labels[m] += ", limit " + reported[m].limit_deg + " deg";
  }
  return labels;
}

}  // namespace

int runPlotCommand(const PlotCommand& command, std::ostream& out, std::ostream&) {
  const std::filesystem::path data = command.dataDirectory;
  const std::filesystem::path outDir =
      command.outDirectory.empty() ? data : std::filesystem::path(command.outDirectory);
  std::vector<const char*> pngFiles;
  for (const DialogueChart& chart : dialogueCharts) pngFiles.push_back(chart.png);
  pngFiles.push_back(dialogueOverviewFile);
  std::vector<std::string> pngNames;
  for (const char* png : pngFiles) pngNames.push_back(folderFile(outDir.string(), png));
  OutputSet files;
  for (const DialogueChart& chart : dialogueCharts) {
    files.input((data / chart.file).string(), "the data file");
  }
  if (!command.reportFile.empty()) files.input(command.reportFile, "the report file");
  for (const std::string& png : pngNames) files.output(png, "the chart", Placement::replacingName);
  files.standardOutput();
  refuseClashes(files);
  requireGnuplot();
  OutputFolder pngs(outDir.string(), pngFiles);

  std::array<std::vector<Curve>, dialogueCharts.size()> curves;
  std::vector<double> firstTimes;  // every line's time in the first file
  for (std::size_t c = 0; c < dialogueCharts.size(); ++c) {
    const std::string name = (data / dialogueCharts[c].file).string();
    std::vector<double> times;
    curves[c] = readMissionCurves(readInputFile(name), name, &times);
    if (curves[c].empty()) throw Error(errorCode::unusableData, name + " holds no data");
    // The four files of one run have the same lines at the same times.
    if (firstTimes.empty()) {
      firstTimes = times;
    } else if (times != firstTimes) {
      std::size_t line = 0;
      while (line < times.size() && line < firstTimes.size() && times[line] == firstTimes[line])
        ++line;
      throw Error(errorCode::unusableData, name + " does not describe the missions of " +
                                               (data / dialogueCharts[0].file).string() +
                                               " (they differ from data line " +
                                               std::to_string(line + 1) + " on)");
    }
  }
  const std::vector<std::string> labels =
      missionLabels(curves.front().size(), command, (data / dialogueCharts[0].file).string());

  const std::string missions = count(curves.front().size(), "mission");
  const std::string title =
      data == "." ? format("Dialogue run: %s", missions.c_str())
                  : format("Dialogue run in %s: %s", data.string().c_str(), missions.c_str());
  const std::vector<std::string> bytes = dialogueRunCharts(curves, title, labels);
  for (std::size_t i = 0; i < pngs.size(); ++i) pngs.file(i).write(bytes[i]);
  pngs.commit();
  std::string written;
  for (const std::string& png : pngNames) written += png + '\n';
  writeOut(out, written);
  return exitStatus::ok;
}

}  // namespace ascent

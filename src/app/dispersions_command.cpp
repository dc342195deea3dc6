// ascent dispersions: parses the command line, reads the files, calls the
// campaign of the study layer and formats what it gives: the CSV rows, the
// manifest, the summary as text or JSON, the charts. Merges shards.
#include "app/dispersions_command.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string_view>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "ascent/campaign.h"
#include "files/dispersion_file.h"
#include "files/output_set.h"
#include "mission/number_reader.h"
#include "physics/constants.h"
#include "report/interrupt_flag.h"

namespace ascent {

namespace {

// A campaign's CSV and its manifest, each written through a temporary file
// created before any run and renamed into place together, the CSV first: a
// program stopped between the two renames leaves the new rows beside the old
// manifest or none, which --resume refuses, never a new manifest beside rows
// of another campaign. Rows go out in blocks rather than a system call per
// run. A CSV that is not a regular file (a FIFO, a device) cannot be resumed
// and gets no manifest.
class CampaignCsv {
 public:
  explicit CampaignCsv(const std::string& path) : csv_(path) {
    if (!csv_.writtenInPlace()) manifest_.emplace(manifestPathFor(path));
  }

  void write(std::string_view text) {
    pending_ += text;
    if (pending_.size() >= blockBytes) flush();
  }
  void commit(const CampaignManifest& manifest) {
    flush();
    if (manifest_) manifest_->write(manifestToml(manifest));
    csv_.commit();
    if (manifest_) manifest_->commit();
  }

 private:
  static constexpr std::size_t blockBytes = std::size_t{1} << 16;
  void flush() {
    csv_.write(pending_);
    pending_.clear();
  }
  OutputFile csv_;
  std::optional<OutputFile> manifest_;
  std::string pending_;
};

// SIGINT and SIGTERM only raise the flag while a campaign runs; the runs
// already started finish and are written.
class InterruptScope {
 public:
  InterruptScope() {
    clearInterrupt();
    struct sigaction action {};
    action.sa_handler = [](int signal) { noteInterrupt(signal); };
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < 2; ++i) {
      sigaction(signals_[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler == SIG_IGN) continue;  // ignored by the parent: stays ignored
      sigaction(signals_[i], &action, nullptr);
    }
  }
  ~InterruptScope() {
    for (std::size_t i = 0; i < 2; ++i) sigaction(signals_[i], &previous_[i], nullptr);
  }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  static constexpr int signals_[2] = {SIGINT, SIGTERM};
  struct sigaction previous_[2];
};

// Runs done, runs per second and time left on the progress line, at most
// four times a second: a campaign delivers runs far faster than anyone reads.
class CampaignProgress {
 public:
  CampaignProgress(std::ostream& err, std::size_t total, std::size_t done)
      : line_(err), total_(total), first_(done), start_(Clock::now()), last_(start_) {}
  void update(std::size_t done) {
    if (!line_.shown()) return;
    const Clock::time_point now = Clock::now();
    if (done < total_ && now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(done - first_) / seconds : 0;
    const double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0;
    line_.show(format("%zu/%zu runs, %.0f runs/s, %.0f s left  ", done, total_, rate, left));
  }
  void clear() { line_.clear(); }

 private:
  using Clock = std::chrono::steady_clock;
  ProgressLine line_;
  std::size_t total_, first_;
  Clock::time_point start_, last_;
};

bool parseRuns(const std::string& text, std::uint64_t& first, std::uint64_t& end) {
  auto whole = [](std::string_view digits, std::uint64_t& value) {
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return !digits.empty() && result.ec == std::errc() &&
           result.ptr == digits.data() + digits.size() && digits.front() != '+';
  };
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) {
    first = 0;
    return whole(text, end) && end > 0;
  }
  return whole(std::string_view(text).substr(0, colon), first) &&
         whole(std::string_view(text).substr(colon + 1), end) && first < end;
}

nlohmann::ordered_json statisticsJson(const OutputStatistics& s) {
  nlohmann::ordered_json percentiles = nlohmann::ordered_json::object();
  for (std::size_t j = 0; j < std::size(summaryPercentiles); ++j) {
    percentiles[exactText(summaryPercentiles[j])] = s.percentiles[j];
  }
  return {{"count", s.count}, {"mean", s.mean}, {"standard_deviation", s.standardDeviation},
          {"min", s.min},     {"max", s.max},   {"percentiles", std::move(percentiles)}};
}

nlohmann::ordered_json summaryJson(const CampaignSummary& s, const CampaignManifest& m) {
  nlohmann::ordered_json outcomes = nlohmann::ordered_json::object();
  for (std::size_t c = 0; c < std::size(s.byClass); ++c) {
    outcomes[std::string(flightClassName(static_cast<FlightClass>(c)))] = s.byClass[c];
  }
  nlohmann::ordered_json outputs = nlohmann::ordered_json::object();
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    outputs[std::string(campaignOutputName(static_cast<CampaignOutput>(k)))] =
        statisticsJson(s.outputs[k]);
  }
  nlohmann::ordered_json ellipses = nlohmann::ordered_json::array();
  for (const Ellipse& e : s.ellipses) {
    ellipses.push_back({{"sigmas", e.sigmas},
                        {"semi_major_m", e.semiMajor_m},
                        {"semi_minor_m", e.semiMinor_m},
                        {"angle_deg", e.angleDeg}});
  }
  return {
      {"campaign",
       {{"program", m.program},
        {"seed", std::to_string(m.seed)},
        {"runs", std::to_string(m.firstRun) + ":" + std::to_string(m.endRun)},
        {"dispersion_file", m.dispersionFile},
        {"dispersion_hash", m.dispersionHash},
        {"vehicle_file", m.vehicleFile},
        {"vehicle_hash", m.vehicleHash},
        {"thrust_file", m.thrustFile},
        {"turn_time_s", m.turnTime_s},
        {"guidance", m.guidance},
        {"limit_deg", m.limitDeg}}},
      {"runs", s.runs},
      {"outcomes", std::move(outcomes)},
      {"success",
       {{"probability", s.successProbability}, {"wilson95", {s.wilsonLow, s.wilsonHigh}}}},
      {"outputs", std::move(outputs)},
      {"perigee_apogee",
       {{"mean_m", {s.meanPerigee_m, s.meanApogee_m}},
        {"covariance_m2", {s.covariance[0], s.covariance[1], s.covariance[2]}},
        {"ellipses", std::move(ellipses)}}},
  };
}

std::string summaryText(const CampaignSummary& s, const CampaignManifest& m) {
  std::string text = format("Dispersions: %zu runs (%s:%s), seed %s, turn time %s s, ", s.runs,
                            std::to_string(m.firstRun).c_str(), std::to_string(m.endRun).c_str(),
                            std::to_string(m.seed).c_str(), m.turnTime_s.c_str());
  text += m.guidance == "retarget" ? "retargeted each run\n" : "limit " + m.limitDeg + " deg\n";
  text += "Outcomes:";
  for (std::size_t c = 0; c < std::size(s.byClass); ++c) {
    text += format(" %s %zu", std::string(flightClassName(static_cast<FlightClass>(c))).c_str(),
                   s.byClass[c]);
  }
  text += format("\nOrbit: %.4f (95 %% interval %.4f to %.4f)\n", s.successProbability, s.wilsonLow,
                 s.wilsonHigh);
  text += format("%-24s %14s %12s %14s %14s %14s %14s %14s\n", "output", "mean", "sd", "min", "1 %",
                 "50 %", "99 %", "max");
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const OutputStatistics& o = s.outputs[k];
    text += format("%-24s %14.6g %12.4g %14.6g %14.6g %14.6g %14.6g %14.6g\n",
                   std::string(campaignOutputName(static_cast<CampaignOutput>(k))).c_str(), o.mean,
                   o.standardDeviation, o.min, o.percentiles[1], o.percentiles[3], o.percentiles[5],
                   o.max);
  }
  const Ellipse& e = s.ellipses[0];
  text += format("Perigee-apogee 1-sigma ellipse: %.3f x %.3f km, major axis at %.2f deg\n",
                 e.semiMajor_m / 1000, e.semiMinor_m / 1000, e.angleDeg);
  return text;
}

// A histogram of `values` in `bins` equal bins: "centre count" lines.
std::string histogram(const std::vector<double>& values, double scale, int bins) {
  if (values.empty()) return "nan 0\n";
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  const double from = *low * scale, width = (*high * scale - from) / bins;
  std::vector<std::size_t> counts(static_cast<std::size_t>(bins), 0);
  for (double v : values) {
    const double at = width > 0 ? (v * scale - from) / width : 0;
    ++counts[std::min(static_cast<std::size_t>(std::max(at, 0.0)), counts.size() - 1)];
  }
  std::string data;
  for (std::size_t b = 0; b < counts.size(); ++b) {
    data += exactText(from + (static_cast<double>(b) + 0.5) * (width > 0 ? width : 1)) + ' ' +
            std::to_string(counts[b]) + '\n';
  }
  return data;
}

// The chart files of --plot DIR, in the order the script draws them.
constexpr std::array<const char*, 3> chartFiles = {"orbits.png", "average_altitude.png",
                                                   "SC_M.png"};

// The charts, drawn in a private temporary directory from files with fixed
// names (gnuplot never sees a name the user chose) and moved into place.
void plotCampaign(SummaryBuilder& builder, const CampaignSummary& s, double targetAltitude_m,
                  const std::string& directory) {
  std::error_code error;
  std::filesystem::create_directories(directory, error);
  if (!std::filesystem::is_directory(directory)) {
    errno = error ? error.value() : ENOTDIR;
    throwFileError("cannot create the directory", directory);
  }
  // Each data set as an inline data block of the script.
  std::string blocks;
  auto put = [&blocks](const char* name, const std::string& text) {
    blocks += std::string("$") + name + " << EOD\n" + text + "EOD\n";
  };
  {
    const std::vector<double> perigee = builder.column(CampaignOutput::Perigee);
    const std::vector<double> apogee = builder.column(CampaignOutput::Apogee);
    std::string points;
    for (std::size_t i = 0; i < perigee.size(); ++i) {
      points += exactText(perigee[i] / 1000) + ' ' + exactText(apogee[i] / 1000) + '\n';
    }
    put("points", points.empty() ? "nan nan\n" : points);
  }
  std::string ellipses;
  const double angle = s.ellipses[0].angleDeg * pi / 180;
  for (const Ellipse& e : s.ellipses) {
    for (int step = 0; step <= 180; ++step) {
      const double t = 2 * pi * step / 180;
      const double x = e.semiMajor_m * std::cos(t), y = e.semiMinor_m * std::sin(t);
      ellipses +=
          exactText((s.meanPerigee_m + x * std::cos(angle) - y * std::sin(angle)) / 1000) + ' ' +
          exactText((s.meanApogee_m + x * std::sin(angle) + y * std::cos(angle)) / 1000) + '\n';
    }
    ellipses += "\n\n";
  }
  put("ellipses", ellipses);
  put("altitude", histogram(builder.column(CampaignOutput::AverageAltitude), 1e-3, 40));
  put("scm", histogram(builder.column(CampaignOutput::SpacecraftMass), 1, 40));

  const std::string target = exactText(targetAltitude_m / 1000);
  const std::string script =
      blocks +
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
  const std::vector<std::string> charts = runGnuplot(script, chartFiles.size());
  for (std::size_t i = 0; i < charts.size(); ++i) {
    OutputFile png((std::filesystem::path(directory) / chartFiles[i]).string());
    png.write(charts[i]);
    png.commit();
  }
}

// Prints the summary as asked and draws the charts.
int finishCampaign(SummaryBuilder& builder, const CampaignManifest& manifest,
                   const DispersionsCommand& command, double targetAltitude_m, std::ostream& out,
                   std::ostream& words) {
  const CampaignSummary summary = builder.finish();
  if (command.json) {
    out << jsonText(summaryJson(summary, manifest)) << '\n';
  } else {
    words << summaryText(summary, manifest);
  }
  out.flush();
  if (!command.plotDirectory.empty()) {
    plotCampaign(builder, summary, targetAltitude_m, command.plotDirectory);
  }
  return exitStatus::ok;
}

// Reads a campaign CSV: the header, then rows with consecutive run indices
// from `firstRun`. A last line without its end is a row cut short and is
// dropped (resume); any other line that is not a row is an input error.
template <typename OnRow>
void readCampaignCsv(const std::string& path, const std::string& header, std::size_t keyCount,
                     std::uint64_t firstRun, bool dropCutShort, OnRow onRow) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    errno = errno != 0 ? errno : ENOENT;
    throwFileError("cannot open", path);
  }
  std::string line;
  std::size_t number = 0;
  std::uint64_t expected = firstRun;
  CampaignRow row;
  std::string reason;
  while (std::getline(in, line)) {
    ++number;
    const bool cutShort = in.eof();
    if (number == 1) {
      if (line + '\n' != header) {
        throw InputError({path + ":1: the columns are not those of this campaign"});
      }
      continue;
    }
    if (!parseCampaignCsvRow(line, keyCount, row, reason) || row.run != expected) {
      if (cutShort && dropCutShort) break;
      if (reason.empty()) {
        reason = "run " + std::to_string(row.run) + " where run " + std::to_string(expected) +
                 " was expected";
      }
      throw InputError({path + ':' + std::to_string(number) + ": " + reason});
    }
    if (cutShort && dropCutShort) break;
    onRow(row, line);
    ++expected;
    reason.clear();
  }
  if (in.bad()) throwFileError("cannot read", path);
}

// The charts of --plot DIR as outputs of the set.
void addCharts(OutputSet& files, const std::string& directory) {
  if (directory.empty()) return;
  for (const char* chart : chartFiles) {
    files.output((std::filesystem::path(directory) / chart).string(),
                 std::string("the chart ") + chart);
  }
}

int runMerge(const DispersionsCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  for (const std::string& path : command.files) {
    files.input(path, "the shard " + path);
    files.input(manifestPathFor(path), "the manifest " + manifestPathFor(path));
  }
  files.output(command.mergeFile, "the merged CSV file");
  files.output(manifestPathFor(command.mergeFile), "the merged manifest");
  addCharts(files, command.plotDirectory);
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
  struct Shard {
    std::string path;
    CampaignManifest manifest;
  };
  std::vector<Shard> shards;
  for (const std::string& path : command.files) {
    shards.push_back({path, readManifest(manifestPathFor(path))});
    const std::string difference =
        manifestDifference(shards.front().manifest, shards.back().manifest);
    if (!difference.empty()) {
      throw InputError({path + ": belongs to another campaign than " + shards.front().path +
                        " (their manifests differ in the " + difference + ")"});
    }
  }
  std::stable_sort(shards.begin(), shards.end(), [](const Shard& a, const Shard& b) {
    return a.manifest.firstRun < b.manifest.firstRun;
  });
  for (std::size_t i = 1; i < shards.size(); ++i) {
    const CampaignManifest &before = shards[i - 1].manifest, &after = shards[i].manifest;
    if (after.firstRun < before.endRun) {
      throw InputError({shards[i].path + ": runs " + std::to_string(after.firstRun) + ":" +
                        std::to_string(std::min(before.endRun, after.endRun)) + " are also in " +
                        shards[i - 1].path});
    }
    if (after.firstRun > before.endRun) {
      throw InputError({"runs " + std::to_string(before.endRun) + ":" +
                        std::to_string(after.firstRun) + " are in no shard"});
    }
  }
  CampaignManifest merged = shards.front().manifest;
  merged.endRun = shards.back().manifest.endRun;
  std::size_t keyCount = 0;
  for (char c : merged.columns) keyCount += c == ',';
  keyCount -= 2 + campaignOutputCount;

  CampaignCsv csv(command.mergeFile);
  csv.write(merged.columns + '\n');
  SummaryBuilder builder;
  for (const Shard& shard : shards) {
    std::uint64_t next = shard.manifest.firstRun;
    readCampaignCsv(shard.path, merged.columns + '\n', keyCount, shard.manifest.firstRun, false,
                    [&](const CampaignRow& row, const std::string& line) {
                      if (row.run >= shard.manifest.endRun) {
                        throw InputError({shard.path + ": run " + std::to_string(row.run) +
                                          " is outside its runs"});
                      }
                      csv.write(line + '\n');
                      builder.add(row);
                      next = row.run + 1;
                    });
    if (next != shard.manifest.endRun) {
      throw InputError({shard.path + ": holds runs " + std::to_string(shard.manifest.firstRun) +
                        ":" + std::to_string(next) + " of " +
                        std::to_string(shard.manifest.firstRun) + ":" +
                        std::to_string(shard.manifest.endRun) +
                        " (an interrupted shard: finish it with --resume)"});
    }
  }
  csv.commit(merged);
  std::ostream& words = command.json ? err : out;
  words << format("Merged %zu shards into %s\n", shards.size(), command.mergeFile.c_str());
  const double targetAltitude_m = Vehicle::defaults().guidance.target_altitude_m;
  return finishCampaign(builder, merged, command, targetAltitude_m, out, words);
}

std::string targetSettingsText(const TargetSettings& t) {
  return "altitude " + exactText(t.altitude_m / 1000) + " km, tolerance " +
         exactText(t.tolerance_m / 1000) + " km, " + std::to_string(t.maxMissions) +
         " missions, first guess " + exactText(t.firstGuessDeg) + " deg";
}

}  // namespace

int runDispersionsCommand(const DispersionsCommand& command, std::ostream& out, std::ostream& err) {
  if (!command.mergeFile.empty()) return runMerge(command, out, err);
  // From here on an interrupt ends the campaign before its next run.
  InterruptScope interrupts;

  CampaignSettings settings;
  settings.firstRun = command.firstRun;
  settings.endRun = command.endRun;
  settings.seed = command.seed;
  settings.turnTime_s = command.turnTime_s;
  settings.retarget = command.retarget;
  settings.jobs = command.jobs;

  // No output may land on an input, another output or standard output.
  OutputSet files;
  files.input(command.files.front(), "the dispersion file");
  addFlightInputs(files, command.thrustFile, command.vehicleFile);
  if (!command.csvFile.empty()) {
    files.output(command.csvFile, "the CSV file");
    files.output(manifestPathFor(command.csvFile), "the manifest");
  }
  addCharts(files, command.plotDirectory);
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotDirectory.empty()) requireGnuplot();
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile);
  const DispersionFile dispersions = readDispersionFile(command.files.front(), chosen.vehicle);
  const ThrustHistory history = readThrustFile(command.thrustFile);
  checkLiftOff(chosen, history);
  checkThrustFile(history, chosen.vehicle, settings.turnTime_s, err);
  // Without rows or JSON on standard output the words go there.
  const bool rowsOnStandardOutput = command.csvFile.empty() && !command.json;
  std::ostream& words = rowsOnStandardOutput || command.json ? err : out;
  words << vehicleLine(chosen);

  // The limit every run flies: given, or targeted on the nominal vehicle.
  settings.limitDeg = command.limitDeg;
  if (!command.retarget && !command.limitGiven) {
    const TargetRun nominal =
        targetTurnTime(history, chosen.vehicle, settings.turnTime_s, settings.target);
    if (nominal.verdict != Verdict::Converged || nominal.answer() == nullptr) {
      err << format(
          "ascent: the nominal vehicle reaches no design orbit at turn time %s s (%s): "
          "give --limit\n",
          exactText(settings.turnTime_s).c_str(),
          std::string(verdictName(nominal.verdict)).c_str());
      return exitStatus::noDesign;
    }
    settings.limitDeg = nominal.answer()->limitDeg;
    words << "Limit: " << exactText(settings.limitDeg) << " deg, targeted on the nominal vehicle\n";
  }

  const Sampler sampler(chosen.vehicle, dispersions.dispersions, dispersions.correlations);
  const std::string header = campaignCsvHeader(dispersions.dispersions);
  CampaignManifest manifest;
  manifest.program = "ascent " + std::string(version());
  manifest.seed = settings.seed;
  manifest.dispersionFile = dispersions.path;
  manifest.dispersionHash = dispersions.hash;
  manifest.vehicleFile = chosen.path;
  manifest.vehicleHash = vehicleHash(chosen.vehicle);
  manifest.thrustFile = command.thrustFile;
  manifest.thrustHash = thrustHistoryHash(history);
  manifest.turnTime_s = exactText(settings.turnTime_s);
  manifest.guidance = command.retarget ? "retarget" : "limit";
  manifest.limitDeg = command.retarget ? "" : exactText(settings.limitDeg);
  manifest.target = command.retarget ? targetSettingsText(settings.target) : "";
  manifest.columns = header.substr(0, header.size() - 1);
  manifest.firstRun = settings.firstRun;
  manifest.endRun = settings.endRun;

  SummaryBuilder builder;
  std::unique_ptr<CampaignCsv> csv;
  std::uint64_t done = 0;
  if (!command.csvFile.empty()) {
    const std::string manifestPath = manifestPathFor(command.csvFile);
    csv = std::make_unique<CampaignCsv>(command.csvFile);
    csv->write(header);
    if (command.resume && std::filesystem::exists(command.csvFile)) {
      if (!std::filesystem::exists(manifestPath)) {
        throw InputError(
            {command.csvFile + ": has no manifest (" + manifestPath + ") to resume it by"});
      }
      const CampaignManifest before = readManifest(manifestPath);
      std::string difference = manifestDifference(before, manifest);
      if (difference.empty() &&
          (before.firstRun != manifest.firstRun || before.endRun != manifest.endRun)) {
        difference = "runs";
      }
      if (!difference.empty()) {
        throw InputError({command.csvFile + ": belongs to another campaign (its manifest " +
                          manifestPath + " differs in the " + difference + ")"});
      }
      readCampaignCsv(command.csvFile, header, dispersions.dispersions.size(), settings.firstRun,
                      true, [&](const CampaignRow& row, const std::string& line) {
                        if (row.run >= settings.endRun) {
                          throw InputError({command.csvFile + ": run " + std::to_string(row.run) +
                                            " is outside the runs of the campaign"});
                        }
                        csv->write(line + '\n');
                        builder.add(row);
                        ++done;
                      });
    }
  } else if (rowsOnStandardOutput) {
    out << header;
  }

  CampaignSettings rest = settings;
  rest.firstRun = settings.firstRun + done;
  const std::size_t total = settings.endRun - settings.firstRun;
  CampaignProgress progress(err, total, done);
  std::size_t flown = 0;
  {
    runCampaign(
        history, sampler, rest,
        [&](const CampaignRow& row) {
          const std::string line = campaignCsvRow(row);
          if (csv) {
            csv->write(line);
          } else if (rowsOnStandardOutput) {
            out << line;
          }
          builder.add(row);
          ++flown;
          progress.update(done + flown);
        },
        [] { return pendingInterrupt() != 0; });
    progress.clear();
    if (rowsOnStandardOutput) out.flush();
    if (csv) csv->commit(manifest);
    if (const int signal = pendingInterrupt(); signal != 0) {
      err << format("ascent: %s after %zu of %zu runs; %s\n", interruptReason(signal),
                    static_cast<std::size_t>(done + flown), total,
                    csv ? "--resume flies the rest" : "the rows written are complete");
      return 128 + signal;
    }
  }
  return finishCampaign(builder, manifest, command, chosen.vehicle.guidance.target_altitude_m, out,
                        words);
}

DispersionsCli::DispersionsCli(CLI::App& app) {
  DispersionsCommand& c = command_;
  app_ = app.add_subcommand(
      "dispersions",
      "Fly the vehicle many times with its values drawn from a dispersion file; one CSV row "
      "per run and a summary (or merge the CSV files of a campaign's shards)");
  app_->add_option("FILE", c.files,
                   "the dispersion file (TOML); with --merge the shards' CSV files")
      ->type_name("FILE");
  app_->add_option("--runs", c.runs, "runs 0 to N-1, or A to B-1")->type_name("N|A:B");
  CLI::Option* seed =
      app_->add_option("--seed", c.seed, "the campaign's seed: the same seed draws the same values")
          ->type_name("S");
  CLI::Option* turnTime =
      addReal(app_, "--turn-time", c.turnTime_s, "turn time of every run (s)")
          ->check(realDomain(domain::lowestTurnTime_s, domain::highestTurnTime_s, "s"));
  CLI::Option* limit =
      addReal(app_, "--limit", c.limitDeg,
              "limit of every run (deg); default: targeted on the nominal vehicle")
          ->check(realDomain(domain::lowestLimitDeg, domain::highestLimitDeg, "deg"));
  app_->add_flag("--retarget", c.retarget, "target each run's orbit again at the turn time")
      ->excludes(limit);
  addVehicle(app_, c.vehicleFile, "the nominal vehicle (a vehicle file)");
  addThrust(app_, c.thrustFile);
  app_->add_option("--csv", c.csvFile, "write the rows to FILE, its manifest beside it")
      ->type_name("FILE.csv");
  app_->add_flag("--json", c.json, "print the summary as JSON");
  addJobs(app_, c.jobs);
  app_->add_flag("--resume", c.resume, "fly only the runs missing from the --csv file");
  app_->add_option("--plot", c.plotDirectory, "draw the charts into DIR")->type_name("DIR");
  app_->add_option("--merge", c.mergeFile, "merge the shards' CSV files (FILE...) into OUT.csv")
      ->type_name("OUT.csv");
  app_->callback([this, seed, turnTime, limit] {
    DispersionsCommand& c = command_;
    c.limitGiven = limit->count() > 0;
    if (!c.mergeFile.empty()) {
      if (c.files.empty()) throw CLI::ValidationError("--merge", "name the shards' CSV files");
      if (!c.runs.empty() || seed->count() > 0 || turnTime->count() > 0 || c.limitGiven ||
          c.retarget || c.resume || !c.csvFile.empty() || !c.vehicleFile.empty()) {
        throw CLI::ValidationError("--merge",
                                   "takes only the shards, --json and --plot: the campaign is "
                                   "in their manifests");
      }
      return;
    }
    if (c.files.size() != 1) {
      throw CLI::ValidationError("FILE", "name one dispersion file");
    }
    if (c.runs.empty()) throw CLI::RequiredError("--runs");
    if (seed->count() == 0) throw CLI::RequiredError("--seed");
    if (turnTime->count() == 0) throw CLI::RequiredError("--turn-time");
    if (c.resume && c.csvFile.empty()) {
      throw CLI::ValidationError("--resume", "needs the --csv file to resume");
    }
    if (!parseRuns(c.runs, c.firstRun, c.endRun)) {
      throw CLI::ValidationError("--runs", "'" + c.runs + "' is not N or A:B with A < B");
    }
  });
}

int DispersionsCli::run(std::ostream& out, std::ostream& err) const {
  return runDispersionsCommand(command_, out, err);
}

}  // namespace ascent

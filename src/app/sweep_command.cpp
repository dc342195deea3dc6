// ascent sweep: every turn time of a range targeted, one CSV row each, on
// several threads and, by shards, on several machines.
//
// Each turn time is targeted from the same first guess as `ascent target`,
// never from a neighbour's answer: a row depends only on its turn time, so
// the rows are the same bytes whatever the threads and shards.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

// The decimals a number is written with: "0.05" 2, "5" 0, "1e-3" 3.
int decimalsOf(const std::string& text) {
  const std::size_t exponent = text.find_first_of("eE");
  const std::string mantissa = text.substr(0, exponent);
  const std::size_t point = mantissa.find('.');
  long decimals = point == std::string::npos ? 0 : static_cast<long>(mantissa.size() - point - 1);
  if (exponent != std::string::npos)
    decimals -= std::strtol(text.c_str() + exponent + 1, nullptr, 10);
  return static_cast<int>(std::clamp(decimals, 0L, 17L));
}

}  // namespace

bool parseTurnTimeRange(const std::string& text, std::vector<double>& turnTimes,
                        std::string& reason) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  double from = 0, to = 0, step = 0;
  if (second == std::string::npos || !parseReal(text.substr(0, first), from) ||
      !parseReal(text.substr(first + 1, second - first - 1), to) ||
      !parseReal(text.substr(second + 1), step)) {
    reason = "the turn times must be FROM:TO:STEP, three numbers (seconds)";
    return false;
  }
  if (!(step > 0) || !(from <= to)) {
    reason = "the turn-time range needs STEP > 0 and FROM <= TO";
    return false;
  }
  if (!(from >= domain::lowestTurnTime_s) || !(to <= domain::highestTurnTime_s)) {
    reason = "the turn times must lie from " + exactText(domain::lowestTurnTime_s) + " to " +
             exactText(domain::highestTurnTime_s) + " s";
    return false;
  }
  // A TO within a millionth of a step of FROM + k * STEP still counts as
  // reached (5:6:0.1 ends at 6).
  const double count = std::floor((to - from) / step + 1e-6) + 1;
  if (!(count <= static_cast<double>(domain::highestSweepTurnTimes))) {
    reason = "the turn-time range holds more than " +
             std::to_string(domain::highestSweepTurnTimes) + " turn times";
    return false;
  }
  // Each turn time is computed, not accumulated, so every shard and thread
  // gets the same bits, and written with the decimals of FROM and STEP
  // (18.15, not 18.150000000000002).
  const int decimals =
      std::max(decimalsOf(text.substr(0, first)), decimalsOf(text.substr(second + 1)));
  turnTimes.clear();
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", decimals, from + static_cast<double>(k) * step);
    double turnTime = 0;
    parseReal(digits, turnTime);
    if (!turnTimes.empty() && !(turnTime > turnTimes.back())) {
      reason = "the step " + exactText(step) + " s repeats turn times (" + exactText(turnTime) +
               " s); use a larger step";
      return false;
    }
    turnTimes.push_back(turnTime);
  }
  return true;
}

namespace {

const char* csvHeader =
    "turn_time_s,limit_deg,verdict,missions,perigee_km,apogee_km,average_altitude_km,"
    "remaining_propellant_kg,SC_M_kg,max_dynamic_pressure_Pa,max_acceleration_mps2,"
    "max_force_N\n";

std::string csvRow(const SweepRow& row) {
  std::string line = exactText(row.turnTime_s);
  auto field = [&line](const std::string& text) { line += ',' + text; };
  const MissionResult& r = row.mission;
  field(row.hasMission ? exactText(r.limitDeg) : "");
  field(std::string(verdictName(row.verdict)));
  field(std::to_string(row.missions));
  if (row.hasMission) {
    for (double value : {r.perigee_m / 1000, r.apogee_m / 1000, r.averageAltitude_m / 1000,
                         r.remainingPropellant_kg, r.sizing.SC_M, r.missionPeaks.maxQ_Pa,
                         r.missionPeaks.maxAccel_mps2, r.maxForce_N}) {
      field(exactText(value));
    }
  } else {
    line += ",,,,,,,,";
  }
  return line + '\n';
}

// The converged designs as the chart draws them, and the best one.
struct ChartData {
  std::string points;  // "turn time, SC_M, limit" lines
  bool hasBest = false;
  SweepRow best;
  double lowest_s = 0, highest_s = 0;  // the turn times charted
};

void plotSweep(const ChartData& chart, const SweepCommand& command, OutputFile& png) {
  std::string label;
  if (chart.hasBest) {
    // The label stays inside the plot: to the left of a best design in the
    // right half, to the right of one in the left half, below the point.
    const double middle = (chart.lowest_s + chart.highest_s) / 2;
    const bool rightHalf = chart.best.turnTime_s > middle;
    label = format("set label 1 'best: %s s, %.0f kg' at %s,%s %s point pt 6 ps 2 offset %s,-1.5\n",
                   exactText(chart.best.turnTime_s).c_str(), chart.best.mission.sizing.SC_M,
                   exactText(chart.best.turnTime_s).c_str(),
                   exactText(chart.best.mission.sizing.SC_M).c_str(), rightHalf ? "right" : "left",
                   rightHalf ? "-1.5" : "1.5");
  }
  const std::string script =
      "set terminal pngcairo size 900,540 font 'sans,10'\n"
      "set output " +
      gnuplotString(chartName(0)) +
      "\n"
      "set title " +
      gnuplotString(format("Converged designs at %g km average altitude",
                           command.settings.altitude_m / 1000)) +
      "\n"
      "set xlabel 'turn time (s)'\n"
      "set ylabel 'spacecraft mass SC\\_M (kg)'\n"
      "set y2label 'angle-of-attack limit (deg)'\n"
      "set ytics nomirror\nset y2tics\nset grid\nset key bottom center\n"
      "set offsets graph 0.05, graph 0.05, graph 0.12, graph 0.12\n" +
      label + "$sweep << EOD\n" + chart.points +
      "EOD\n"
      "plot $sweep using 1:2 axes x1y1 with linespoints pt 7 ps 0.6 title 'SC\\_M (kg)', "
      "$sweep using 1:3 axes x1y2 with linespoints pt 5 ps 0.6 title 'limit (deg)'\n"
      "unset output\n";
  png.write(runGnuplot(script, 1).front());
}

}  // namespace

int runSweepCommand(const SweepCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  addFlightInputs(files, command.thrustFile, command.vehicleFile);
  if (!command.csvFile.empty()) files.output(command.csvFile, "the CSV file");
  if (!command.plotFile.empty()) files.output(command.plotFile, "the chart");
  files.standardOutput();
  refuseClashes(files);
  if (!command.plotFile.empty()) requireGnuplot();
  const FlightInputs inputs = readFlightInputs(command.thrustFile, command.vehicleFile);
  const ChosenVehicle& chosen = inputs.chosen;
  const ThrustHistory& history = inputs.history;
  std::unique_ptr<OutputFile> csvFile, pngFile;
  if (!command.csvFile.empty()) csvFile = std::make_unique<OutputFile>(command.csvFile);
  if (!command.plotFile.empty()) pngFile = std::make_unique<OutputFile>(command.plotFile);

  // Shard I of N takes the turn times k = I-1, I-1+N, I-1+2N, ...
  std::vector<double> turnTimes;
  for (std::size_t k = command.shardIndex - 1; k < command.turnTimes.size();
       k += command.shardCount) {
    turnTimes.push_back(command.turnTimes[k]);
  }
  if (!turnTimes.empty()) checkThrustFile(history, chosen.vehicle, turnTimes.back(), err);

  // Rows are written as they arrive, in order.
  auto emit = [&](const std::string& text) {
    if (csvFile) {
      csvFile->write(text);
    } else {
      writeOut(out, text);
    }
  };
  if (command.shardIndex == 1) emit(csvHeader);
  std::size_t delivered = 0, converged = 0, missions = 0;
  ChartData chart;
  ProgressLine progress(err);
  sweepTurnTimes(
      history, chosen.vehicle, turnTimes, command.settings, command.jobs, [&](const SweepRow& row) {
        emit(csvRow(row));
        ++delivered;
        missions += row.missions;
        if (row.verdict == Verdict::Converged) {
          ++converged;
          if (pngFile) {
            chart.points += exactText(row.turnTime_s) + ' ' + exactText(row.mission.sizing.SC_M) +
                            ' ' + exactText(row.mission.limitDeg) + '\n';
          }
          if (converged == 1) chart.lowest_s = row.turnTime_s;
          chart.highest_s = row.turnTime_s;
          if (betterDesign(row, chart.hasBest ? &chart.best : nullptr)) {
            chart.hasBest = true;
            chart.best = row;
          }
        }
        if (progress.shown()) {
          progress.show("Sweep: " + std::to_string(delivered) + " of " +
                        count(turnTimes.size(), "turn time"));
        }
      });
  progress.clear();

  // Without --csv the rows go to standard output and the words to standard error.
  std::string words = vehicleLine(chosen);
  words += format("Sweep: %s, %zu converged, %s flown\n", count(delivered, "turn time").c_str(),
                  converged, count(missions, "mission").c_str());
  if (!chart.hasBest) {
    words += "Best design: none (no converged turn time with propellant left)\n";
  } else {
    const MissionResult& r = chart.best.mission;
    words += format(
        "Best design: turn time %s s, limit %s deg: SC_M %.0f kg, remaining propellant %.0f kg, "
        "%.1f x %.1f km\n",
        exactText(chart.best.turnTime_s).c_str(), exactText(r.limitDeg).c_str(), r.sizing.SC_M,
        r.remainingPropellant_kg, r.perigee_m / 1000, r.apogee_m / 1000);
  }
  if (pngFile) {
    if (converged == 0) {
      words += "Chart: none written (no converged turn time to draw)\n";
      pngFile.reset();
    } else {
      plotSweep(chart, command, *pngFile);
    }
  }
  // Complete: every output is renamed into place.
  if (csvFile) csvFile->commit();
  if (pngFile) pngFile->commit();
  if (csvFile) {
    writeOut(out, words);
  } else {
    err << words;
  }
  return exitStatus::ok;
}

}  // namespace ascent

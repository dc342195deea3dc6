// ascent sweep: every turn time of a range targeted, one CSV row each, on
// several threads and, by shards, on several machines.
//
// Each turn time is targeted from the same first guess as `ascent target`,
// never from a neighbour's answer: a row depends only on its turn time, so
// the rows are the same bytes whatever the threads and shards.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <ostream>

#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "files/vehicle_file.h"
#include "mission/number_reader.h"

namespace ascent {

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
  // Each turn time is computed, not accumulated, so every shard and thread
  // gets the same bits. A TO within a millionth of a step of FROM + k * STEP
  // still counts as reached (5:6:0.1 ends at 6).
  const double count = std::floor((to - from) / step + 1e-6) + 1;
  if (count > 1e7) {
    reason = "the turn-time range holds more than ten million turn times";
    return false;
  }
  turnTimes.clear();
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
    turnTimes.push_back(from + static_cast<double>(k) * step);
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

void writeFile(const std::string& name, const std::string& bytes) {
  errno = 0;
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (file == nullptr) throwFileError("cannot create", name);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int writeErrno = errno;
  if (std::fclose(file) != 0 || !written) {
    if (!written) errno = writeErrno;
    throwFileError("cannot write", name);
  }
}

void plotSweep(const std::vector<SweepRow>& rows, std::size_t best, const SweepCommand& command) {
  std::string data;
  for (const SweepRow& row : rows) {
    if (row.verdict != Verdict::Converged) continue;
    data += exactText(row.turnTime_s) + ' ' + exactText(row.mission.sizing.SC_M) + ' ' +
            exactText(row.mission.limitDeg) + '\n';
  }
  if (data.empty()) data = "nan nan nan\n";
  const std::string script =
      "set terminal pngcairo size 900,540 font 'sans,10'\n"
      "set output " +
      gnuplotString(command.plotFile) +
      "\n"
      "set title " +
      gnuplotString(
          format("Converged designs at %g km average altitude", command.settings.altitude_km)) +
      "\n"
      "set xlabel 'turn time (s)'\n"
      "set ylabel 'spacecraft mass SC\\_M (kg)'\n"
      "set y2label 'angle-of-attack limit (deg)'\n"
      "set ytics nomirror\nset y2tics\nset grid\nset key bottom center\n" +
      (best < rows.size()
           ? format("set label 1 'best: %s s, %.0f kg' at %s,%s point pt 6 ps 2 offset 1,-1.5\n",
                    exactText(rows[best].turnTime_s).c_str(), rows[best].mission.sizing.SC_M,
                    exactText(rows[best].turnTime_s).c_str(),
                    exactText(rows[best].mission.sizing.SC_M).c_str())
           : std::string()) +
      "$sweep << EOD\n" + data +
      "EOD\n"
      "plot $sweep using 1:2 axes x1y1 with linespoints pt 7 ps 0.6 title 'SC\\_M (kg)', "
      "$sweep using 1:3 axes x1y2 with linespoints pt 5 ps 0.6 title 'limit (deg)'\n";
  runGnuplot(script);
}

}  // namespace

int runSweepCommand(const SweepCommand& command, std::ostream& out, std::ostream& err) {
  std::vector<double> all;
  std::string reason;
  if (!parseTurnTimeRange(command.range, all, reason)) throw InputError({reason});
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile);
  const ThrustHistory history = ThrustHistory::fromFile(command.thrustFile);
  checkLiftOff(chosen, history);

  // Shard I of N takes the turn times k = I-1, I-1+N, I-1+2N, ...
  std::vector<double> turnTimes;
  for (std::size_t k = command.shardIndex - 1; k < all.size(); k += command.shardCount) {
    turnTimes.push_back(all[k]);
  }
  std::vector<SweepRow> rows;
  rows.reserve(turnTimes.size());
  sweepTurnTimes(history, chosen.vehicle, turnTimes, command.settings, command.jobs,
                 [&rows](const SweepRow& row) { rows.push_back(row); });

  std::string csv = command.shardIndex == 1 ? csvHeader : "";
  for (const SweepRow& row : rows) csv += csvRow(row);
  // Without --csv the rows go to standard output and the words to standard error.
  std::ostream& words = command.csvFile.empty() ? err : out;
  if (command.csvFile.empty()) {
    out << csv;
    out.flush();
  } else {
    writeFile(command.csvFile, csv);
  }
  std::size_t converged = 0, missions = 0;
  for (const SweepRow& row : rows) {
    converged += row.verdict == Verdict::Converged;
    missions += row.missions;
  }
  words << vehicleLine(chosen);
  words << format("Sweep: %zu turn times, %zu converged, %zu missions flown\n", rows.size(),
                  converged, missions);
  const std::size_t best = bestDesign(rows);
  if (best == rows.size()) {
    words << "Best design: none (no converged turn time with propellant left)\n";
  } else {
    const MissionResult& r = rows[best].mission;
    words << format(
        "Best design: turn time %s s, limit %s deg: SC_M %.0f kg, remaining propellant %.0f kg, "
        "%.1f x %.1f km\n",
        exactText(rows[best].turnTime_s).c_str(), exactText(r.limitDeg).c_str(), r.sizing.SC_M,
        r.remainingPropellant_kg, r.perigee_m / 1000, r.apogee_m / 1000);
  }
  if (!command.plotFile.empty()) plotSweep(rows, best, command);
  return exitStatus::ok;
}

}  // namespace ascent

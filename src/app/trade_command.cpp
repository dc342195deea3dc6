// ascent optimize and ascent trade: parse, call the study layer, format.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "app/mission_output.h"
#include "app/trade_commands.h"
#include "files/output_set.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

// FROM:TO, seconds, FROM <= TO, FROM at least 1 s.
bool parseRange(const std::string& text, double& from, double& to, std::string& reason) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || !parseReal(text.substr(0, colon), from) ||
      !parseReal(text.substr(colon + 1), to)) {
    reason = "the turn times must be FROM:TO, two numbers (seconds)";
    return false;
  }
  if (!(from >= domain::lowestTurnTime_s) || !(from <= to) || !(to <= domain::highestTurnTime_s)) {
    reason = "the turn-time range needs 1 <= FROM <= TO <= 10000 (s)";
    return false;
  }
  return true;
}

// "what: done of total" on the progress line, when it is shown.
Progress progressOn(ProgressLine& line, const char* what) {
  if (!line.shown()) return {};
  return [&line, what](std::size_t done, std::size_t total) {
    line.show(format("%s: %zu of %zu", what, done, total));
  };
}

nlohmann::ordered_json candidateJson(const SweepRow& row) {
  return {{"turn_time_s", row.turnTime_s},
          {"verdict", candidateVerdict(row)},
          {"missions", row.missions},
          {"limit_deg", row.hasMission ? nlohmann::ordered_json(row.mission.limitDeg) : nullptr},
          {"SC_M_kg", row.hasMission ? nlohmann::ordered_json(row.mission.sizing.SC_M) : nullptr},
          {"SC_M_unrounded_kg",
           row.hasMission ? nlohmann::ordered_json(row.mission.sizing.SC_M_unrounded) : nullptr}};
}

// The inputs of a command checked against standard output before any work.
std::string designLine(const SweepRow& row) {
  const MissionResult& r = row.mission;
  return format(
      "turn time %s s, limit %s deg: SC_M %.0f kg, remaining propellant %.0f kg, %.1f x %.1f km",
      exactText(row.turnTime_s).c_str(), exactText(r.limitDeg).c_str(), r.sizing.SC_M,
      r.remainingPropellant_kg, r.perigee_m / 1000, r.apogee_m / 1000);
}

}  // namespace

int runOptimizeCommand(const OptimizeCommand& command, std::ostream& out, std::ostream& err) {
  const OptimizeSettings& settings = command.settings;
  OutputSet files;
  addFlightInputs(files, command.thrustFile, command.vehicleFile);
  files.standardOutput();
  refuseClashes(files);
  const FlightInputs inputs = readFlightInputs(command.thrustFile, command.vehicleFile);
  const ChosenVehicle& chosen = inputs.chosen;
  const ThrustHistory& history = inputs.history;
  checkThrustFile(history, chosen.vehicle, settings.to_s, err);
  ProgressLine progress(err);
  const OptimizeResult result = optimizeTurnTime(history, chosen.vehicle, settings, command.jobs,
                                                 progressOn(progress, "optimize"));
  progress.clear();
  const int status = result.found() ? exitStatus::ok : exitStatus::notConverged;

  if (command.json) {
    nlohmann::ordered_json json = {
        {"program", "ascent"},
        {"version", std::string(version())},
        {"thrust_file", command.thrustFile},
        {"from_s", settings.from_s},
        {"to_s", settings.to_s},
        {"found", result.found()},
        {"missions", result.missions},
        {"turn_times_targeted", result.candidates.size()},
        {"scanned", result.scanned},
    };
    if (result.found()) {
      const SweepRow& best = result.optimum();
      json["turn_time_s"] = best.turnTime_s;
      json["limit_deg"] = best.mission.limitDeg;
      json["SC_M_kg"] = best.mission.sizing.SC_M;
      json["SC_M_unrounded_kg"] = best.mission.sizing.SC_M_unrounded;
      json["flat_top"] = {{"from_s", result.flatFrom_s},
                          {"to_s", result.flatTo_s},
                          {"turn_times", result.flatCount}};
      json["mission"] = missionJson(best.mission, command.thrustFile);
    }
    nlohmann::ordered_json candidates = nlohmann::ordered_json::array();
    for (const SweepRow& row : result.candidates) candidates.push_back(candidateJson(row));
    json["candidates"] = std::move(candidates);
    json["vehicle"] = vehicleJson(chosen.vehicle);
    writeOut(out, jsonText(json) + '\n');
    return status;
  }

  std::ostringstream text;
  text << vehicleLine(chosen);
  text << format("Optimize: turn times %s to %s s, average altitude %g +- %g km\n",
                 exactText(settings.from_s).c_str(), exactText(settings.to_s).c_str(),
                 settings.target.altitude_m / 1000, settings.target.tolerance_m / 1000);
  if (!result.found()) {
    text << "Optimum: none (no turn time converged with propellant left)\n";
  } else {
    const SweepRow& best = result.optimum();
    text << "Optimum: " << designLine(best) << '\n';
    if (result.flatCount > 1) {
      text << format("Flat top: turn times %.1f-%.1f s give %.0f +- 1 kg (%zu turn times)\n",
                     result.flatFrom_s, result.flatTo_s, best.mission.sizing.SC_M,
                     result.flatCount);
    } else {
      text << format("Flat top: no other turn time targeted gives %.0f +- 1 kg\n",
                     best.mission.sizing.SC_M);
    }
  }
  text << format("Searched: %zu turn times targeted (%zu in the scan), %zu missions flown\n",
                 result.candidates.size(), result.scanned, result.missions);
  writeOut(out, text.str());
  return status;
}

namespace {

const char* tradeCsvHeader =
    "key,unit,value,step,status,ratio,ratio_unit,error,below_kg,above_kg,effect_1pct_kg,reason\n";

std::string tradeCsv(const TradeResult& result) {
  std::string csv = tradeCsvHeader;
  for (const TradeRow& row : result.rows) {
    const bool ok = row.status == TradeStatus::Ok;
    csv += row.key + ',' + row.unit + ',' + exactText(row.value) + ',' + exactText(row.step) + ',' +
           std::string(tradeStatusName(row.status)) + ',' + (ok ? exactText(row.ratio) : "") + ',' +
           ratioUnit(row.unit) + ',' +
           (ok && std::isfinite(row.error) ? exactText(row.error) : "") + ',' +
           (ok ? exactText(row.below_kg) : "") + ',' + (ok ? exactText(row.above_kg) : "") + ',' +
           (ok ? exactText(row.effect_kg) : "") + ",\"" + row.reason + "\"\n";
  }
  return csv;
}

// The tornado: the change of SC_M for the value 1 % below and above, the
// largest effects at the top, as PNG bytes. The keys are the vehicle's own,
// never a name typed by the user.
std::string plotTornado(const TradeResult& result, const std::string& title) {
  constexpr std::size_t shown = 20;
  std::string data;
  std::size_t traded = 0;
  for (const TradeRow& row : result.rows) traded += row.status == TradeStatus::Ok;
  const std::size_t n = std::min(traded, shown);
  std::size_t y = n;
  for (const TradeRow& row : result.rows) {
    if (row.status != TradeStatus::Ok || y == 0) continue;
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

}  // namespace

int runTradeCommand(const TradeCommand& command, std::ostream& out, std::ostream& err) {
  TradeSettings settings = command.settings;
  settings.reoptimize = !command.fixedTurnTime;
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
  checkThrustFile(history, chosen.vehicle,
                  settings.reoptimize ? settings.optimize.to_s : settings.turnTime_s, err);
  // Created before any mission is flown: an output that cannot be is found now.
  std::unique_ptr<OutputFile> csvFile, pngFile;
  if (!command.csvFile.empty()) csvFile = std::make_unique<OutputFile>(command.csvFile);
  if (!command.plotFile.empty()) pngFile = std::make_unique<OutputFile>(command.plotFile);
  ProgressLine progress(err);
  const TradeResult result = tradeRatios(history, chosen.vehicle, command.keys, settings,
                                         command.jobs, progressOn(progress, "trade"));
  progress.clear();
  if (!result.baseFeasible && command.json) {
    writeOut(out, jsonText({{"program", "ascent"},
                            {"version", std::string(version())},
                            {"thrust_file", command.thrustFile},
                            {"base_feasible", false},
                            {"reason", result.baseReason},
                            {"missions", result.missions},
                            {"vehicle", vehicleJson(chosen.vehicle)}}) +
                      '\n');
    return exitStatus::notConverged;
  }
  if (!result.baseFeasible) {
    writeOut(out, vehicleLine(chosen) +
                      "Trade: the vehicle as given has no design: " + result.baseReason + '\n');
    return exitStatus::notConverged;
  }
  const MissionResult& base = result.base.mission;
  const std::string at = settings.reoptimize
                             ? format("at the best turn time of each vehicle (%s to %s s)",
                                      exactText(settings.optimize.from_s).c_str(),
                                      exactText(settings.optimize.to_s).c_str())
                             : format("at turn time %s s", exactText(settings.turnTime_s).c_str());

  if (csvFile) csvFile->write(tradeCsv(result));
  if (pngFile) {
    pngFile->write(plotTornado(
        result,
        format("Spacecraft mass for a 1 %% change of each value (%s, SC_M %.0f kg)",
               settings.reoptimize ? "turn time re-optimized"
                                   : ("turn time " + exactText(settings.turnTime_s) + " s").c_str(),
               base.sizing.SC_M)));
  }
  // Complete: every output is renamed into place.
  if (csvFile) csvFile->commit();
  if (pngFile) pngFile->commit();

  if (command.json) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const TradeRow& row : result.rows) {
      const bool ok = row.status == TradeStatus::Ok;
      auto number = [ok](double value) {
        return ok && std::isfinite(value) ? nlohmann::ordered_json(value) : nullptr;
      };
      rows.push_back({{"key", row.key},
                      {"unit", row.unit},
                      {"value", row.value},
                      {"step", row.step},
                      {"status", tradeStatusName(row.status)},
                      {"reason", row.reason},
                      {"ratio", number(row.ratio)},
                      {"ratio_unit", ratioUnit(row.unit)},
                      {"error", number(row.error)},
                      {"below_kg", number(row.below_kg)},
                      {"above_kg", number(row.above_kg)},
                      {"effect_1pct_kg", number(row.effect_kg)}});
    }
    nlohmann::ordered_json json = {
        {"program", "ascent"},
        {"version", std::string(version())},
        {"thrust_file", command.thrustFile},
        {"reoptimized", settings.reoptimize},
        {"turn_time_s", result.base.turnTime_s},
        {"SC_M_kg", base.sizing.SC_M},
        {"SC_M_unrounded_kg", base.sizing.SC_M_unrounded},
        {"relative_step", settings.relativeStep},
        {"missions", result.missions},
        {"trades", std::move(rows)},
        {"vehicle", vehicleJson(chosen.vehicle)},
    };
    writeOut(out, jsonText(json) + '\n');
    return exitStatus::ok;
  }

  std::ostringstream text;
  text << vehicleLine(chosen);
  text << format("Trade %s: the orbit targeted again for every changed value\n", at.c_str());
  text << "Base: " << designLine(result.base) << '\n';
  text << format(
      "Ratios by central differences over +-%g %% of each value; error: the difference from "
      "+-%g %% (-: those could not be flown)\n",
      settings.relativeStep * 100, settings.relativeStep * 200);
  text << format("%-38s %16s %13s %-14s %10s %10s %10s %10s\n", "key", "value", "ratio", "",
                 "error", "-1 % (kg)", "+1 % (kg)", "1 % (kg)");
  std::size_t notOk = 0;
  for (const TradeRow& row : result.rows) {
    if (row.status != TradeStatus::Ok) {
      ++notOk;
      continue;
    }
    text << format("%-38s %16.10g %13.6g %-14s %10s %10.1f %10.1f %10.1f\n", row.key.c_str(),
                   row.value, row.ratio, ratioUnit(row.unit).c_str(),
                   std::isfinite(row.error) ? format("%.2g", row.error).c_str() : "-", row.below_kg,
                   row.above_kg, row.effect_kg);
  }
  if (notOk > 0) {
    text << format("%zu keys could not be traded:\n", notOk);
    for (const TradeRow& row : result.rows) {
      if (row.status == TradeStatus::Ok) continue;
      text << format("%-38s %s: %s\n", row.key.c_str(),
                     std::string(tradeStatusName(row.status)).c_str(), row.reason.c_str());
    }
  }
  text << format("Missions flown: %zu\n", result.missions);
  writeOut(out, text.str());
  return exitStatus::ok;
}

TradeCommands::TradeCommands(CLI::App& app) {
  auto common = [](CLI::App* sub, std::string& thrust, std::string& vehicle, unsigned& jobs,
                   bool& json) {
    addThrust(sub, thrust);
    addVehicle(sub, vehicle);
    addJobs(sub, jobs);
    sub->add_flag("--json", json, "print the result as one JSON object");
  };

  optimizeApp_ = app.add_subcommand(
      "optimize", "Find the turn time that gives the heaviest spacecraft (largest SC_M)");
  common(optimizeApp_, optimize_.thrustFile, optimize_.vehicleFile, optimize_.jobs, optimize_.json);
  optimizeApp_->add_option("--turn-time", range_, "turn times searched (s)")
      ->type_name("FROM:TO")
      ->capture_default_str();
  optimizeApp_->callback([this] {
    std::string reason;
    if (!parseRange(range_, optimize_.settings.from_s, optimize_.settings.to_s, reason)) {
      throw CLI::ValidationError("--turn-time", reason);
    }
  });

  tradeApp_ = app.add_subcommand(
      "trade", "Spacecraft mass per unit of each vehicle value, sorted by the effect of 1 %");
  common(tradeApp_, trade_.thrustFile, trade_.vehicleFile, trade_.jobs, trade_.json);
  CLI::Option* turnTime =
      addReal(tradeApp_, "--turn-time", trade_.settings.turnTime_s, "the turn time held (s)")
          ->check(realDomain(domain::lowestTurnTime_s, domain::highestTurnTime_s, "s"));
  CLI::Option* reoptimize =
      tradeApp_->add_flag("--optimize", trade_.settings.reoptimize,
                          "at the best turn time of each changed vehicle (5 to 120 s)");
  turnTime->excludes(reoptimize);
  tradeApp_->add_option("--keys", keys_, "only these keys (default: every key)")
      ->type_name("a,b,...");
  tradeApp_->add_option("--csv", trade_.csvFile, "write the table to FILE as CSV")
      ->type_name("FILE");
  tradeApp_->add_option("--plot", trade_.plotFile, "draw the tornado chart")->type_name("FILE.png");
  tradeApp_->callback([this, turnTime, reoptimize] {
    if (turnTime->count() == 0 && reoptimize->count() == 0) {
      throw CLI::RequiredError("--turn-time or --optimize");
    }
    trade_.fixedTurnTime = turnTime->count() > 0;
    for (std::size_t start = 0; start < keys_.size();) {
      std::size_t comma = keys_.find(',', start);
      if (comma == std::string::npos) comma = keys_.size();
      const std::string key = keys_.substr(start, comma - start);
      if (findVehicleKey(key) == nullptr) {
        const std::string nearest = nearestVehicleKey(key);
        throw CLI::ValidationError("--keys",
                                   "'" + key + "' is not a vehicle key" +
                                       (nearest.empty() ? "" : "; did you mean " + nearest + "?"));
      }
      trade_.keys.push_back(key);
      start = comma + 1;
    }
  });
}

int TradeCommands::run(std::ostream& out, std::ostream& err) {
  if (optimizeApp_->parsed()) return runOptimizeCommand(optimize_, out, err);
  return runTradeCommand(trade_, out, err);
}

}  // namespace ascent

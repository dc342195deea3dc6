#include "report/design_text.h"

#include <cmath>

#include "report/printf_text.h"

namespace ascent {

std::string dynamicPressureLimitText(const SearchSettings& settings) {
  if (!settings.limitsDynamicPressure()) return {};
  return format(", peak dynamic pressure at most %g kPa", settings.dynamicPressureLimit_Pa / 1000);
}

std::string designLine(const SweepRow& row) {
  const MissionResult& r = row.mission;
  return format(
      "turn time %s s, limit %s deg: SC_M %.0f kg, remaining propellant %.0f kg, %.1f x %.1f km",
      exactText(row.turnTime_s).c_str(), exactText(r.limit_deg).c_str(), r.sizing.SC_M_kg,
      r.remainingPropellant_kg, r.perigee_m / 1000, r.apogee_m / 1000);
}

std::string sweepText(const SweepResult& tally) {
  std::string infeasible =
      tally.infeasible > 0 ? format(", %zu infeasible", tally.infeasible) : std::string();
  if (tally.noPropellantLeft > 0) {
    infeasible += format(", %zu with no propellant left", tally.noPropellantLeft);
  }
  std::string text =
      format("Sweep: %s, %zu converged%s, %s flown\n", count(tally.turnTimes, "turn time").c_str(),
             tally.converged, infeasible.c_str(), count(tally.missions, "mission").c_str());
  if (!tally.found)
    return text + "Best design: none (no converged turn time with propellant left)\n";
  return text + "Best design: " + designLine(tally.best) + '\n';
}

std::string nearestText(const OptimizeResult& result) {
  if (result.nearest >= result.candidates.size()) return {};
  const SweepRow& row = result.candidates[result.nearest];
  if (!row.hasMission) {
    return format("Nearest: turn time %s s (%s)\n", exactText(row.turnTime_s).c_str(),
                  std::string(verdictName(row.verdict)).c_str());
  }
  const std::string shortfall = shortfallText(propellantShortfall(row.mission));
  return format("Nearest: turn time %s s (%s%s%s), SC_M %.0f kg, peak dynamic pressure %.3f kPa\n",
                exactText(row.turnTime_s).c_str(), std::string(verdictName(row.verdict)).c_str(),
                shortfall.empty() ? "" : ": ", shortfall.c_str(), row.mission.sizing.SC_M_kg,
                row.mission.missionPeaks.maxQ_Pa / 1000);
}

std::string optimizeText(const OptimizeResult& result, const OptimizeSettings& settings) {
  const SearchSettings& target = settings.search;
  std::string text = format("Optimize: turn times %s to %s s, average altitude %g +- %g km%s\n",
                            exactText(settings.from_s).c_str(), exactText(settings.to_s).c_str(),
                            target.targetAltitude_m / 1000, target.tolerance_m / 1000,
                            dynamicPressureLimitText(target).c_str());
  if (!result.found()) {
    text += target.limitsDynamicPressure()
                ? "Optimum: none (no turn time converged with propellant left and within the "
                  "dynamic-pressure limit)\n"
                : "Optimum: none (no turn time converged with propellant left)\n";
    text += nearestText(result);
  } else {
    const SweepRow& best = result.optimum();
    text += "Optimum: " + designLine(best) + '\n';
    if (result.flatCount > 1) {
      text +=
          format("Flat top: turn times %.1f-%.1f s give %.0f +- 1 kg (%zu turn times)\n",
                 result.flatFrom_s, result.flatTo_s, best.mission.sizing.SC_M_kg, result.flatCount);
    } else {
      text += format("Flat top: no other turn time targeted gives %.0f +- 1 kg\n",
                     best.mission.sizing.SC_M_kg);
    }
    if (result.binding != Constraint::None) {
      text += result.binding == Constraint::DynamicPressure
                  ? format("Binding: the dynamic-pressure limit (peak %.3f kPa at the optimum)\n",
                           best.mission.missionPeaks.maxQ_Pa / 1000)
                  : "Binding: the propellant (a heavier design overdraws it)\n";
    }
    if (result.atRangeEdge) {
      const bool first = best.turnTime_s - settings.from_s <= settings.turnTimeTolerance_s;
      text += format(
          "Range edge: the optimum is within the %g s tolerance of the %s turn time searched "
          "(%s s); a wider range may hold a heavier design\n",
          settings.turnTimeTolerance_s, first ? "first" : "last",
          exactText(first ? settings.from_s : settings.to_s).c_str());
    }
  }
  return text + format("Searched: %zu turn times targeted (%zu in the scan), %zu missions flown\n",
                       result.candidates.size(), result.scanned, result.missions);
}

namespace {

std::string tradeLine(const TradeRow& row) {
  std::string line = format("%-38s %16.10g %13.6g %-14s %10s %10.1f %10.1f %10.1f", row.key.c_str(),
                            row.value, row.ratio, ratioUnit(row.unit).c_str(),
                            std::isfinite(row.error) ? format("%.2g", row.error).c_str() : "-",
                            row.below_kg, row.above_kg, row.effect_kg);
  if (!row.movedWith.empty()) {
    line += "  with";
    for (const std::string& key : row.movedWith) {
      line += (&key == &row.movedWith.front() ? " " : ", ") + key;
    }
  }
  if (row.status == TradeStatus::ShortOfPropellant) line += "  short: " + row.reason;
  return line + '\n';
}

// The rows of one group of TradeResult::rows under its heading; nothing
// when it has none.
template <class InGroup, class Line>
std::string tradeGroup(const TradeResult& result, const char* heading, InGroup inGroup, Line line) {
  std::string text;
  for (const TradeRow& row : result.rows) {
    if (inGroup(row)) text += line(row);
  }
  return text.empty() ? text : heading + ("\n" + text);
}

std::string tradeGroups(const TradeResult& result) {
  const auto reasonLine = [](const TradeRow& row) {
    return format("%-38s %s\n", row.key.c_str(), row.reason.c_str());
  };
  const auto statusLine = [](const TradeRow& row) {
    return format("%-38s %s: %s\n", row.key.c_str(),
                  std::string(tradeStatusName(row.status)).c_str(), row.reason.c_str());
  };
  const auto is = [](TradeStatus status) {
    return [status](const TradeRow& row) { return row.status == status; };
  };
  return tradeGroup(
             result, "Keys that change the flight:",
             [](const TradeRow& r) { return r.status == TradeStatus::Ok && r.changesFlight; },
             tradeLine) +
         tradeGroup(
             result,
             "Keys of the re-sizing after the flight (the flight is the same, only SC_M's "
             "bookkeeping moves):",
             [](const TradeRow& r) { return r.status == TradeStatus::Ok && !r.changesFlight; },
             tradeLine) +
         tradeGroup(
             result,
             "Short of propellant (a flight burns propellant it does not carry: not a gain):",
             is(TradeStatus::ShortOfPropellant), tradeLine) +
         tradeGroup(result, "No effect on SC_M (ratio 0):", is(TradeStatus::NoEffect), reasonLine) +
         tradeGroup(
             result, "Could not be traded:", [](const TradeRow& r) { return !r.traded(); },
             statusLine);
}

}  // namespace

std::string tradeText(const TradeResult& result, const TradeSettings& settings) {
  if (!result.baseFeasible) {
    return "Trade: the vehicle as given has no design: " + result.baseReason + '\n';
  }
  const std::string at = settings.reoptimize
                             ? format("at the best turn time of each vehicle (%s to %s s)",
                                      exactText(settings.optimize.from_s).c_str(),
                                      exactText(settings.optimize.to_s).c_str())
                             : format("at turn time %s s", exactText(settings.turnTime_s).c_str());
  std::string text =
      format("Trade %s: the orbit targeted again for every changed value\n", at.c_str());
  text += "Base: " + designLine(result.base) + '\n';
  text += format(
      "Ratios by central differences over +-%g %% of each value, with what follows from it; "
      "error: the difference from +-%g %% (-: those could not be flown)\n",
      settings.relativeStep * 100, settings.relativeStep * 200);
  text += format("%-38s %16s %13s %-14s %10s %10s %10s %10s\n", "key", "value", "ratio", "",
                 "error", "-1 % (kg)", "+1 % (kg)", "1 % (kg)");
  return text + tradeGroups(result) + format("Missions flown: %zu\n", result.missions);
}

std::string performanceText(const PerformanceResult& result, const PerformanceSettings& settings) {
  const std::vector<double>& altitudes = settings.altitudes_m;
  const std::string span = altitudes.size() == 1 ? exactText(altitudes.front() / 1000)
                                                 : exactText(altitudes.front() / 1000) + " to " +
                                                       exactText(altitudes.back() / 1000);
  std::string text =
      format("Performance: %s, %s km; turn times %s to %s s%s\n",
             count(altitudes.size(), "altitude").c_str(), span.c_str(),
             exactText(settings.optimize.from_s).c_str(), exactText(settings.optimize.to_s).c_str(),
             dynamicPressureLimitText(settings.optimize.search).c_str());
  text += format("%9s %11s %10s %9s %10s %19s %8s  %s\n", "altitude", "turn time", "limit", "SC_M",
                 "propellant", "perigee x apogee", "missions", "verdict");
  text +=
      format("%9s %11s %10s %9s %10s %19s\n", "(km)", "(s)", "(deg)", "(kg)", "left (kg)", "(km)");
  bool anyAtEdge = false;
  for (const PerformanceRow& row : result.rows) {
    const std::string altitude = exactText(row.altitude_m / 1000);
    const std::string verdict(verdictName(row.design.verdict));
    if (!row.found) {
      text += format("%9s %11s %10s %9s %10s %19s %8zu  %s\n", altitude.c_str(), "-", "-", "-", "-",
                     "-", row.missions, verdict.c_str());
      continue;
    }
    const MissionResult& m = row.design.mission;
    anyAtEdge = anyAtEdge || row.atRangeEdge;
    const std::string orbit = format("%.1f x %.1f", m.perigee_m / 1000, m.apogee_m / 1000);
    text +=
        format("%9s %10.2f%c %10.4f %9.0f %10.0f %19s %8zu  %s\n", altitude.c_str(),
               row.design.turnTime_s, row.atRangeEdge ? '*' : ' ', m.limit_deg, m.sizing.SC_M_kg,
               m.remainingPropellant_kg, orbit.c_str(), row.missions, verdict.c_str());
  }
  if (anyAtEdge) {
    text +=
        "* the optimum is at an end of the turn times searched: a wider range may hold a "
        "heavier design\n";
  }
  return text + format("Missions flown: %zu\n", result.missions);
}

}  // namespace ascent

#include "report/campaign_text.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "report/printf_text.h"
#include "study/campaign/statistics.h"

namespace ascent {

namespace {

std::string formatted(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string formatted(const char* pattern, ...) {
  char buffer[256];
  va_list arguments;
  va_start(arguments, pattern);
  const int length = std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
  va_end(arguments);
  if (length < static_cast<int>(sizeof buffer)) return std::string(buffer, length < 0 ? 0 : length);
  std::string text(static_cast<std::size_t>(length), '\0');
  va_start(arguments, pattern);
  std::vsnprintf(text.data(), text.size() + 1, pattern, arguments);
  va_end(arguments);
  return text;
}

// A histogram of the charted runs' `value` times `scale` in `bins` equal
// bins: "centre runs failures" lines, failures the runs not a success.
std::string histogram(const std::vector<ChartedRun>& runs, double ChartedRun::*value, double scale,
                      int bins) {
  double low = INFINITY, high = -INFINITY;
  for (const ChartedRun& run : runs) {
    if (!std::isfinite(run.*value)) continue;
    low = std::min(low, run.*value);
    high = std::max(high, run.*value);
  }
  if (!(low <= high)) return "nan 0 0\n";
  const double from = low * scale, width = (high * scale - from) / bins;
  std::vector<std::size_t> counts(static_cast<std::size_t>(bins), 0), failures(counts);
  for (const ChartedRun& run : runs) {
    if (!std::isfinite(run.*value)) continue;
    const double at = width > 0 ? (run.*value * scale - from) / width : 0;
    const std::size_t bin =
        std::min(static_cast<std::size_t>(std::max(at, 0.0)), counts.size() - 1);
    ++counts[bin];
    failures[bin] += !run.success;
  }
  std::string data;
  for (std::size_t b = 0; b < counts.size(); ++b) {
    data += exactText(from + (static_cast<double>(b) + 0.5) * (width > 0 ? width : 1)) + ' ' +
            std::to_string(counts[b]) + ' ' + std::to_string(failures[b]) + '\n';
  }
  return data;
}

std::string pointText(double x_m, double y_m) {
  return exactText(x_m / 1000) + ' ' + exactText(y_m / 1000) + '\n';
}

// "99.865 %".
std::string percentText(double fraction) {
  return formatted("%.10g %%", fraction * 100);
}

// What the guidance of the runs knew.
std::string guidanceText(const CampaignManifest& m) {
  const std::string known = knownText(m.known).empty() ? "nothing" : knownText(m.known);
  switch (m.guidance) {
    case GuidanceMode::Fixed:
      return "limit " + exactText(m.limit_deg) + " deg";
    case GuidanceMode::BeforeLaunch:
      return "each run targeted before launch, knowing " + known;
    case GuidanceMode::InFlight:
      return "each run targeted in flight at booster separation, knowing " + known +
             " (first guess " + exactText(m.limit_deg) + " deg)";
    case GuidanceMode::Omniscient:
      break;
  }
  return "each run targeted knowing every draw (omniscient)";
}

// The flight performance reserve's line, at `level` ("99.865 % of the runs at 90 % confidence").
std::string reserveText(const FlightPerformanceReserve& f, const std::string& level) {
  if (f.margin_kg) {
    return formatted("Flight performance reserve: %.6g kg for %s (propellant margin %.6g kg)\n",
                     *f.flightPerformanceReserve_kg, level.c_str(), *f.margin_kg);
  }
  if (f.order == 0) {
    return formatted("Flight performance reserve: too few runs for %s (%zu needed)\n",
                     level.c_str(), runsNeeded(f.probability, f.confidence));
  }
  return "Flight performance reserve: none, too many runs have no propellant margin (no orbit, "
         "off target or a booster overdrawn) for " +
         level + "\n";
}

std::string requirementsText(const std::vector<RequirementResult>& requirements,
                             const std::string& level) {
  std::string text = "Requirements, each in " + level + ":\n";
  // The failures by cause: beyond the value, and not a success (orbits
  // among them); the output's own bound over the orbits stays readable when
  // the requirement is not met.
  text +=
      formatted("%-32s %-12s %8s %8s %8s %8s %14s %14s %11s\n", "requirement", "verdict",
                "failures", "beyond", "no succ", "allowed", "bound", "orbit bound", "runs needed");
  for (const RequirementResult& r : requirements) {
    const std::string allowed = r.order > 0 ? std::to_string(r.order - 1) : "-";
    const std::string bound = r.bound ? formatted("%.6g", *r.bound) : "-";
    const std::string orbitBound = r.orbitBound ? formatted("%.6g", *r.orbitBound) : "-";
    const std::string notSuccess = formatted("%zu", r.failuresNotSuccess);
    text += formatted("%-32s %-12s %8zu %8zu %8s %8s %14s %14s %11zu\n", r.requirement.c_str(),
                      std::string(requirementVerdictName(r.verdict)).c_str(), r.failures,
                      r.failuresBeyondValue, notSuccess.c_str(), allowed.c_str(), bound.c_str(),
                      orbitBound.c_str(), r.runsNeeded);
    if (r.notSuccessOrbits > 0) {
      text += formatted(
          "%-32s (%zu of the runs not a success reached orbit; the orbit bound is "
          "over %s)\n",
          "", r.notSuccessOrbits, count(r.orbits, "orbit").c_str());
    }
  }
  return text;
}

}  // namespace

std::string campaignSummaryText(const CampaignSummary& s, const CampaignManifest& m) {
  std::string text = formatted("Dispersions: %zu runs (%s:%s), seed %s, turn time %s s, ", s.runs,
                               std::to_string(m.firstRun).c_str(), std::to_string(m.endRun).c_str(),
                               std::to_string(m.seed).c_str(), exactText(m.turnTime_s).c_str());
  text += guidanceText(m) + '\n';
  text += "Outcomes:";
  for (std::size_t c = 0; c < std::size(s.byClass); ++c) {
    text += formatted(" %s %zu", std::string(flightClassName(static_cast<FlightClass>(c))).c_str(),
                      s.byClass[c]);
  }
  text += formatted(
      "\nSuccess: %.4f (95 %% interval %.4f to %.4f): %s with at least %s kg of "
      "propellant left, %zu short of it or of booster propellant",
      s.successShare, s.wilsonLow, s.wilsonHigh, count(s.successes, "orbit").c_str(),
      exactText(s.minRemainingPropellant_kg).c_str(), s.shortfalls);
  text += m.guidance != GuidanceMode::Fixed ? formatted(", %zu off target\n", s.offTarget)
                                            : std::string("\n");
  if (s.orbitsOffTarget > 0) {
    text += formatted("Statistics: over the orbits, %zu of them off target\n", s.orbitsOffTarget);
  }
  text += formatted("%-24s %8s %14s %12s %14s %14s %14s %14s %14s\n", "output", "orbits", "mean",
                    "sd", "min", "1 %", "50 %", "99 %", "max");
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const OutputStatistics& o = s.outputs[k];
    const std::string name(campaignOutputName(static_cast<CampaignOutput>(k)));
    if (o.count == 0) {
      text += formatted("%-24s %8zu %14s %12s %14s %14s %14s %14s %14s\n", name.c_str(), o.count,
                        "-", "-", "-", "-", "-", "-", "-");
      continue;
    }
    text += formatted("%-24s %8zu %14.6g %12.4g %14.6g %14.6g %14.6g %14.6g %14.6g\n", name.c_str(),
                      o.count, o.mean, o.standardDeviation, o.min, o.percentiles[1],
                      o.percentiles[3], o.percentiles[5], o.max);
  }
  const Ellipse& e = s.ellipses[0];
  if (std::isfinite(e.semiMajor_m)) {
    text += formatted("Perigee-apogee 1-sigma ellipse: %.0f x %.0f m, major axis at %.2f deg\n",
                      e.semiMajor_m, e.semiMinor_m, e.angle_deg);
  } else {
    text += "Perigee-apogee 1-sigma ellipse: none (no orbit)\n";
  }
  const FlightPerformanceReserve& f = s.flightPerformanceReserve;
  const std::string level =
      percentText(f.probability) + " of the runs at " + percentText(f.confidence) + " confidence";
  text += reserveText(f, level);
  if (!s.requirements.empty()) text += requirementsText(s.requirements, level);
  return text;
}

CampaignChartData campaignChartData(SummaryBuilder& builder, const CampaignSummary& s,
                                    const std::vector<Requirement>& requirements) {
  CampaignChartData data;
  // The box at the probability the requirements are verified in, each side.
  data.extentPercent = (1 - s.flightPerformanceReserve.probability) * 100;
  for (const Requirement& r : requirements) {
    if (r.output == "perigee_m" || r.output == "apogee_m") {
      data.requirements.push_back({r.text, r.output == "perigee_m", r.value / 1000});
    }
  }
  const std::vector<ChartedRun> runs = builder.chartedRuns();
  data.closedOrbits = !runs.empty();
  for (const ChartedRun& run : runs) {
    (run.success ? data.points : data.missed) += pointText(run.perigee_m, run.apogee_m);
  }
  if (data.points.empty()) data.points = "nan nan\n";
  if (data.missed.empty()) data.missed = "nan nan\n";
  for (const Ellipse& e : s.ellipses) {
    for (const auto& [perigee_m, apogee_m] : ellipseOutline(s, e, 180)) {
      data.ellipses += pointText(perigee_m, apogee_m);
    }
    data.ellipses += "\n\n";
  }
  // The orbits' own extent: the box of their perigee and apogee points at
  // the requirements' probability (one-sided 3 sigma by default), which the
  // curved cloud fills where the linear ellipses cannot follow it.
  std::vector<double> perigee = builder.column(CampaignOutput::Perigee);
  std::vector<double> apogee = builder.column(CampaignOutput::Apogee);
  if (perigee.empty() || apogee.empty()) {
    data.extent = "nan nan\n";
  } else {
    std::sort(perigee.begin(), perigee.end());
    std::sort(apogee.begin(), apogee.end());
    const double p0 = percentileOf(perigee, data.extentPercent),
                 p1 = percentileOf(perigee, 100 - data.extentPercent);
    const double a0 = percentileOf(apogee, data.extentPercent),
                 a1 = percentileOf(apogee, 100 - data.extentPercent);
    data.extent = pointText(p0, a0) + pointText(p1, a0) + pointText(p1, a1) + pointText(p0, a1) +
                  pointText(p0, a0);
  }
  data.altitude = histogram(runs, &ChartedRun::averageAltitude_m, 1e-3, 40);
  data.spacecraftMass = histogram(runs, &ChartedRun::spacecraftMass_kg, 1, 40);
  return data;
}

}  // namespace ascent

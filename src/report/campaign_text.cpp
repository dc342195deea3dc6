#include "report/campaign_text.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

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

// A histogram of `values` times `scale` in `bins` equal bins: "centre count" lines.
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

}  // namespace

std::string campaignSummaryText(const CampaignSummary& s, const CampaignManifest& m) {
  std::string text = formatted("Dispersions: %zu runs (%s:%s), seed %s, turn time %s s, ", s.runs,
                               std::to_string(m.firstRun).c_str(), std::to_string(m.endRun).c_str(),
                               std::to_string(m.seed).c_str(), exactText(m.turnTime_s).c_str());
  text += m.retarget ? "retargeted each run\n" : "limit " + exactText(m.limitDeg) + " deg\n";
  text += "Outcomes:";
  for (std::size_t c = 0; c < std::size(s.byClass); ++c) {
    text += formatted(" %s %zu", std::string(flightClassName(static_cast<FlightClass>(c))).c_str(),
                      s.byClass[c]);
  }
  text += formatted("\nOrbit: %.4f (95 %% interval %.4f to %.4f)\n", s.successProbability,
                    s.wilsonLow, s.wilsonHigh);
  text += formatted("%-24s %14s %12s %14s %14s %14s %14s %14s\n", "output", "mean", "sd", "min",
                    "1 %", "50 %", "99 %", "max");
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const OutputStatistics& o = s.outputs[k];
    const std::string name(campaignOutputName(static_cast<CampaignOutput>(k)));
    if (o.count == 0) {
      text += formatted("%-24s %14s %12s %14s %14s %14s %14s %14s\n", name.c_str(), "-", "-", "-",
                        "-", "-", "-", "-");
      continue;
    }
    text += formatted("%-24s %14.6g %12.4g %14.6g %14.6g %14.6g %14.6g %14.6g\n", name.c_str(),
                      o.mean, o.standardDeviation, o.min, o.percentiles[1], o.percentiles[3],
                      o.percentiles[5], o.max);
  }
  const Ellipse& e = s.ellipses[0];
  if (!std::isfinite(e.semiMajor_m)) {
    return text + "Perigee-apogee 1-sigma ellipse: none (no closed orbit)\n";
  }
  text += formatted("Perigee-apogee 1-sigma ellipse: %.0f x %.0f m, major axis at %.2f deg\n",
                    e.semiMajor_m, e.semiMinor_m, e.angleDeg);
  return text;
}

CampaignChartData campaignChartData(SummaryBuilder& builder, const CampaignSummary& s) {
  CampaignChartData data;
  const std::vector<double> perigee = builder.column(CampaignOutput::Perigee);
  const std::vector<double> apogee = builder.column(CampaignOutput::Apogee);
  for (std::size_t i = 0; i < perigee.size(); ++i) {
    data.points += exactText(perigee[i] / 1000) + ' ' + exactText(apogee[i] / 1000) + '\n';
  }
  if (data.points.empty()) data.points = "nan nan\n";
  for (const Ellipse& e : s.ellipses) {
    for (const auto& [perigee_m, apogee_m] : ellipseOutline(s, e, 180)) {
      data.ellipses += exactText(perigee_m / 1000) + ' ' + exactText(apogee_m / 1000) + '\n';
    }
    data.ellipses += "\n\n";
  }
  data.altitude = histogram(builder.column(CampaignOutput::AverageAltitude), 1e-3, 40);
  data.spacecraftMass = histogram(builder.column(CampaignOutput::SpacecraftMass), 1, 40);
  return data;
}

}  // namespace ascent

// The charts of a campaign's page, drawn as SVG from the summary's columns,
// and where its runs came from.
#include <algorithm>
#include <cstdio>

#include "ascent/grammar.h"
#include "report/campaign_page.h"
#include "study/campaign/statistics.h"

namespace ascent {

namespace {

constexpr int histogramBins = 40;

std::string percentText(double percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", percent);
  return text;
}

// Successes and the other runs stacked in equal bins of `value` times `scale`.
std::string histogramSvg(const std::vector<ChartedRun>& runs, double ChartedRun::*value,
                         double scale, const std::string& title, const std::string& label) {
  std::vector<double> values;
  for (const ChartedRun& run : runs) values.push_back(run.*value * scale);
  const ChartAxis range = axisOver(values, 0, label);
  const double width = (range.high - range.low) / histogramBins;
  std::vector<std::size_t> ok(histogramBins, 0), bad(histogramBins, 0);
  for (const ChartedRun& run : runs) {
    const double v = run.*value * scale;
    if (!std::isfinite(v)) continue;
    const double at = width > 0 ? (v - range.low) / width : 0;
    const std::size_t bin =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(at, 0.0)), histogramBins - 1);
    ++(run.success ? ok : bad)[bin];
  }
  std::size_t highest = 1;
  for (std::size_t b = 0; b < ok.size(); ++b) highest = std::max(highest, ok[b] + bad[b]);
  const double pad = width * 2;
  SvgChart chart(640, 300, {range.low - pad, range.high + pad, label},
                 {0, static_cast<double>(highest) * 1.08, "runs"}, title);
  for (std::size_t b = 0; b < ok.size(); ++b) {
    const double x0 = range.low + width * static_cast<double>(b), x1 = x0 + width * 0.92;
    const double okTop = static_cast<double>(ok[b]);
    if (ok[b] > 0) chart.box(x0, 0, x1, okTop, "ok");
    if (bad[b] > 0) chart.box(x0, okTop, x1, okTop + static_cast<double>(bad[b]), "bad");
  }
  chart.legend({{"ok", "success"}, {"bad", "not a success"}});
  return chart.svg();
}

std::string orbitsSvg(const CampaignPageCharts& c) {
  std::vector<double> x, y;
  for (const ChartPoints* set : {&c.successes, &c.others, &c.ellipses[2]}) {
    for (const auto& [p, a] : *set) {
      x.push_back(p);
      y.push_back(a);
    }
  }
  x.insert(x.end(), {c.box_km[0], c.box_km[1]});
  y.insert(y.end(), {c.box_km[2], c.box_km[3]});
  SvgChart chart(640, 460, axisOver(x, 0.05, "perigee altitude (km)"),
                 axisOver(y, 0.05, "apogee altitude (km)"), "Perigee against apogee");
  chart.points(c.successes, "dot", "ok");
  chart.points(c.others, "cross", "bad");
  chart.polyline(c.ellipses[0], "e1");
  chart.polyline(c.ellipses[1], "e2");
  chart.polyline(c.ellipses[2], "e3");
  chart.box(c.box_km[0], c.box_km[2], c.box_km[1], c.box_km[3], "extent");
  for (const auto& [text, value] : c.perigeeLines_km) chart.vertical(value, "req", text);
  for (const auto& [text, value] : c.apogeeLines_km) chart.horizontal(value, "req", text);
  const std::string box =
      percentText(c.extentPercent) + "\u2013" + percentText(100 - c.extentPercent) + " % box";
  chart.legend({{"ok", "success"},
                {"bad", "not a success"},
                {"e1", "1, 2, 3 \u03c3 ellipses"},
                {"extent", box},
                {"req", "requirement"}});
  return chart.svg();
}

}  // namespace

CampaignPageCharts campaignPageCharts(SummaryBuilder& builder, const CampaignSummary& s) {
  CampaignPageCharts c;
  c.runs = builder.chartedRuns();
  for (const ChartedRun& run : c.runs) {
    (run.success ? c.successes : c.others).emplace_back(run.perigee_m / 1000, run.apogee_m / 1000);
  }
  for (std::size_t k = 0; k < 3; ++k) {
    for (const auto& [perigee_m, apogee_m] : ellipseOutline(s, s.ellipses[k], 180)) {
      c.ellipses[k].emplace_back(perigee_m / 1000, apogee_m / 1000);
    }
  }
  // The box at the probability the requirements are verified in, each side.
  c.extentPercent = (1 - s.flightPerformanceReserve.probability) * 100;
  std::vector<double> perigee = builder.column(CampaignOutput::Perigee);
  std::vector<double> apogee = builder.column(CampaignOutput::Apogee);
  if (!perigee.empty() && !apogee.empty()) {
    std::sort(perigee.begin(), perigee.end());
    std::sort(apogee.begin(), apogee.end());
    c.box_km[0] = percentileOf(perigee, c.extentPercent) / 1000;
    c.box_km[1] = percentileOf(perigee, 100 - c.extentPercent) / 1000;
    c.box_km[2] = percentileOf(apogee, c.extentPercent) / 1000;
    c.box_km[3] = percentileOf(apogee, 100 - c.extentPercent) / 1000;
  }
  for (const RequirementResult& result : s.requirements) {
    const Requirement r = parseRequirement(result.requirement);
    if (r.output == "perigee_m") c.perigeeLines_km.emplace_back(r.text, r.value / 1000);
    if (r.output == "apogee_m") c.apogeeLines_km.emplace_back(r.text, r.value / 1000);
  }
  return c;
}

std::string campaignChartsHtml(const CampaignPageCharts& c, const JsonNumbers&) {
  std::string html = "<h2>7 Charts</h2>\n";
  if (c.runs.empty()) return html + "<p>No run reached a closed orbit: nothing to chart.</p>\n";
  html += "<figure>" + orbitsSvg(c) +
          "<figcaption>Every run with a closed orbit: dots the successes, crosses the runs that "
          "were not a success. The ellipses are the 1-, 2- and 3-sigma ellipses of the orbits; "
          "the dashed box holds the orbits' perigee and apogee from their " +
          percentText(c.extentPercent) + " % to their " + percentText(100 - c.extentPercent) +
          " % points.</figcaption></figure>\n<div class=\"charts\">";
  html += "<figure>" +
          histogramSvg(c.runs, &ChartedRun::averageAltitude_m, 1e-3, "Average orbit altitude",
                       "average altitude (km)") +
          "<figcaption>Average altitude of the closed orbits, in " + std::to_string(histogramBins) +
          " bins.</figcaption></figure>\n";
  html += "<figure>" +
          histogramSvg(c.runs, &ChartedRun::spacecraftMass_kg, 1, "Spacecraft mass in orbit",
                       "SC_M (kg)") +
          "<figcaption>Spacecraft mass of the closed orbits, in " + std::to_string(histogramBins) +
          " bins.</figcaption></figure>\n";
  return html + "</div>\n";
}

}  // namespace ascent

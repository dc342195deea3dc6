#include "report/campaign_page.h"

#include <string_view>

#include "report/html_page.h"

namespace ascent {

namespace {

std::string text(const Value& value) {
  return htmlEscape(value.kind() == Value::Kind::Text ? value.text() : std::string());
}

// The output a requirement's text names: "perigee_m" of "perigee_m>=190km".
std::string_view requirementOutput(std::string_view requirement) {
  return requirement.substr(0, requirement.find_first_of("<>="));
}

std::string header(const JsonNumbers& n, const CampaignManifest& manifest) {
  std::string html = "<h1>Dispersion campaign: " + htmlEscape(manifest.dispersionFile) + "</h1>\n";
  html += "<p class=\"sub\">" + n("runs") + " runs (" + n("campaign/first_run") + " to " +
          n("campaign/end_run") + " &#8722; 1), seed " + n("campaign/seed") + ", turn time " +
          n("campaign/turn_time_s", 1, 3) + " s, " + text(n.at("campaign/guidance")) +
          " guidance; flown by " + text(n.at("campaign/program")) + "</p>\n";
  return html;
}

std::string question(const JsonNumbers& n) {
  std::string html = "<h2>1 The question</h2>\n<p>A run is a <b>success</b> when it reaches its ";
  html += "target orbit with no booster overdrawn and at least " +
          n("success/min_remaining_propellant_kg", 1, 1) +
          " kg of upper-stage propellant left. Each requirement must hold in at least a share P "
          "of the flights, verified with confidence C by order statistics over the runs.</p>\n";
  const Value& requirements = n.at("requirements");
  if (requirements.items().empty()) {
    html += "<p>No requirement was stated. The flight performance reserve is taken for P = " +
            n("flight_performance_reserve/probability", 100, 3) +
            " % of the flights at C = " + n("flight_performance_reserve/confidence", 100, 1) +
            " %.</p>\n";
    return html;
  }
  html += "<table><tr><th class=\"t\">requirement</th><th>P (%)</th><th>C (%)</th></tr>\n";
  for (std::size_t i = 0; i < requirements.items().size(); ++i) {
    const std::string at = "requirements/" + std::to_string(i) + "/";
    html += "<tr><td class=\"t\"><code>" + text(n.at(at + "requirement")) + "</code></td><td>" +
            n(at + "probability", 100, 3) + "</td><td>" + n(at + "confidence", 100, 1) +
            "</td></tr>\n";
  }
  html += "</table>\n<p class=\"note\">The flight performance reserve is taken at P = " +
          n("flight_performance_reserve/probability", 100, 3) +
          " %, C = " + n("flight_performance_reserve/confidence", 100, 1) + " %.</p>\n";
  return html;
}

std::string verdicts(const JsonNumbers& n) {
  const Value& requirements = n.at("requirements");
  std::string html = "<h2>2 The verdicts</h2>\n";
  if (requirements.items().empty()) return html + "<p>No requirement to judge.</p>\n";
  bool everyMet = true;
  for (const Value& r : requirements.items()) everyMet = everyMet && r["verdict"].text() == "met";
  html += everyMet ? "<div class=\"banner met\">Every requirement is met.</div>\n"
                   : "<div class=\"banner not_met\">Not every requirement is verified.</div>\n";
  html +=
      "<table><tr><th class=\"t\">requirement</th><th class=\"t\">verdict</th><th>order m</th>"
      "<th>bound</th><th class=\"t\">unit</th><th>failures</th><th>beyond the value</th>"
      "<th>not a success</th><th>runs</th><th>runs needed</th><th>orbit bound</th></tr>\n";
  for (std::size_t i = 0; i < requirements.items().size(); ++i) {
    const std::string at = "requirements/" + std::to_string(i) + "/";
    const std::string& requirement = n.at(at + "requirement").text();
    const DisplayUnit unit = displayUnitOf(requirementOutput(requirement));
    const std::string verdict = text(n.at(at + "verdict"));
    html += "<tr><td class=\"t\"><code>" + htmlEscape(requirement) +
            "</code></td><td class=\"t\"><span class=\"verdict " + verdict + "\">" + verdict +
            "</span></td><td>" + n(at + "order") + "</td><td>" +
            n(at + "bound", unit.scale, unit.digits) + "</td><td class=\"t\">" +
            std::string(unit.unit) + "</td><td>" + n(at + "failures") + "</td><td>" +
            n(at + "failures_beyond_value") + "</td><td>" + n(at + "failures_not_success") +
            "</td><td>" + n(at + "runs") + "</td><td>" + n(at + "runs_needed") + "</td><td>" +
            n(at + "orbit_bound", unit.scale, unit.digits) + "</td></tr>\n";
  }
  html +=
      "</table>\n<p class=\"note\">A requirement is met when fewer than m runs fail it: the m-th "
      "worst run is then a bound of the P-quantile with confidence C. A run that is not a "
      "success fails every requirement; the orbit bound is the output's own bound over the "
      "orbits alone, readable when the requirement is not met. Too few runs: m would be "
      "0.</p>\n";
  return html;
}

std::string success(const JsonNumbers& n) {
  return "<h2>3 Success probability</h2>\n<p><span class=\"big\">" + n("success/share", 100, 2) +
         " %</span> of the runs were a success, 95 % interval " + n("success/wilson95/0", 100, 2) +
         " % to " + n("success/wilson95/1", 100, 2) + " % (Wilson).</p>\n<p>" +
         n("success/successes") + " successes of " + n("runs") + " runs; " +
         n("success/propellant_shortfall") +
         " orbits on target short of propellant or of the reserve; " + n("success/off_target") +
         " runs off target.</p>\n";
}

std::string reserve(const JsonNumbers& n) {
  const std::string level = n("flight_performance_reserve/probability", 100, 3) +
                            " % of the flights with " +
                            n("flight_performance_reserve/confidence", 100, 1) + " % confidence";
  std::string html = "<h2>4 Flight performance reserve</h2>\n";
  if (n.at("flight_performance_reserve/margin_kg").isNull()) {
    const bool tooFew = n.at("flight_performance_reserve/order").real() == 0;
    return html + "<p><span class=\"big\">" + n("flight_performance_reserve/margin_kg", 1, 1) +
           "</span> " +
           (tooFew ? "too few runs to take it for " + level
                   : "none: too many runs have no propellant margin (no orbit, off target or a "
                     "booster overdrawn) for " +
                         level) +
           ".</p>\n";
  }
  return html + "<p><span class=\"big\">" +
         n("flight_performance_reserve/flight_performance_reserve_kg", 1, 1) +
         " kg</span> of propellant to add so that " + level +
         " keep some.</p>\n<p>Propellant margin " +
         n("flight_performance_reserve/margin_kg", 1, 1) + " kg: the " +
         n("flight_performance_reserve/order") +
         "-th lowest remaining propellant of all runs (a run without an orbit, off target or "
         "with a booster overdrawn lowest).</p>\n";
}

std::string outcomes(const JsonNumbers& n) {
  std::string html =
      "<h2>5 Outcomes</h2>\n<table><tr><th class=\"t\">outcome</th><th>runs</th></tr>\n";
  for (const auto& [name, count] : n.at("outcomes").members()) {
    html += "<tr><td class=\"t\">" + htmlEscape(name) + "</td><td>" + n("outcomes/" + name) +
            "</td></tr>\n";
  }
  return html + "</table>\n<p>" + n("orbits_off_target") +
         " of the orbits in the statistics were off target.</p>\n";
}

std::string statistics(const JsonNumbers& n) {
  std::string html =
      "<h2>6 Statistics over the orbits</h2>\n<table class=\"stats\"><tr><th class=\"t\">"
      "output</th><th class=\"t\">unit</th><th>orbits</th><th>mean</th><th>sd</th><th>min</th>";
  const Value& outputs = n.at("outputs");
  const Value* first = outputs.members().empty() ? nullptr : &outputs.members().front().second;
  if (first != nullptr) {
    for (const auto& [p, v] : (*first)["percentiles"].members()) {
      html += "<th>" + htmlEscape(p) + " %</th>";
    }
  }
  html += "<th>max</th></tr>\n";
  for (const auto& [name, stats] : outputs.members()) {
    const DisplayUnit u = displayUnitOf(name);
    const std::string at = "outputs/" + name + "/";
    html += "<tr><td class=\"t\">" + htmlEscape(name) + "</td><td class=\"t\">" +
            std::string(u.unit) + "</td><td>" + n(at + "count") + "</td><td>" +
            n(at + "mean", u.scale, u.digits) + "</td><td>" +
            n(at + "standard_deviation", u.scale, u.digits) + "</td><td>" +
            n(at + "min", u.scale, u.digits) + "</td>";
    for (const auto& [p, v] : stats["percentiles"].members()) {
      html += "<td>" + n(at + "percentiles/" + p, u.scale, u.digits) + "</td>";
    }
    html += "<td>" + n(at + "max", u.scale, u.digits) + "</td></tr>\n";
  }
  html += "</table>\n<p>Perigee&#8211;apogee 1-sigma ellipse: " +
          n("perigee_apogee/ellipses/0/semi_major_m", 1e-3, 3) + " &#215; " +
          n("perigee_apogee/ellipses/0/semi_minor_m", 1e-3, 3) + " km, major axis at " +
          n("perigee_apogee/ellipses/0/angle_deg", 1, 2) + " deg from the perigee axis, about (" +
          n("perigee_apogee/mean_m/0", 1e-3, 3) + ", " + n("perigee_apogee/mean_m/1", 1e-3, 3) +
          ") km.</p>\n";
  return html;
}

}  // namespace

std::string campaignPage(const Value& summary, const CampaignManifest& manifest,
                         const CampaignPageCharts& charts, const CampaignSource& source) {
  const JsonNumbers n(summary);
  std::string body = header(n, manifest);
  body += question(n);
  body += verdicts(n);
  body += success(n);
  body += reserve(n);
  body += outcomes(n);
  body += statistics(n);
  body += campaignChartsHtml(charts, n);
  body += provenanceHtml(n, manifest, source);
  return htmlPage("Dispersion campaign: " + manifest.dispersionFile, body, summary);
}

}  // namespace ascent

#include "report/sensitivity_page.h"

#include <algorithm>
#include <cmath>

#include "report/svg_chart.h"

namespace ascent {

namespace {

std::string question(const JsonNumbers& n, const CampaignManifest& manifest) {
  std::string html = "<h1>Sensitivity study: " + htmlEscape(manifest.dispersionFile) + "</h1>\n";
  html += "<p class=\"sub\">" + n("runs") + " runs of a Saltelli design of N = " + n("rows") +
          " rows, seed " + n("campaign/seed") + ", " + htmlEscape(guidanceName(manifest.guidance)) +
          " guidance; " + n("resamples") + " bootstrap resamples</p>\n";
  html +=
      "<h2>1 The question</h2>\n<p>Which dispersion causes how much of the spread of each output "
      "under the campaign's guidance. S1, the first-order index, is the share of the output's "
      "variance a factor causes alone; ST, the total index, the share it causes with its "
      "interactions (about 0: the factor can be fixed at its nominal value). Each has a 95 % "
      "bootstrap interval. Keys correlated with each other are one factor.</p>\n";
  html += "<table><tr><th class=\"t\">factor</th><th class=\"t\">keys</th></tr>\n";
  for (const Value& factor : n.at("factors").items()) {
    std::string keys;
    for (const Value& key : factor["keys"].items()) {
      keys += (keys.empty() ? "" : ", ") + htmlEscape(key.text());
    }
    html += "<tr><td class=\"t\">" + htmlEscape(factor["name"].text()) + "</td><td class=\"t\">" +
            keys + "</td></tr>\n";
  }
  html += "</table>\n";
  if (!n.at("complete").flag()) {
    html += "<div class=\"banner not_met\">The runs are not the whole design: no index.</div>\n";
  }
  return html;
}

// The places in the JSON's indices of one output's, most important first
// (the largest total index), as the text's table has them.
std::vector<std::size_t> rankedRows(const std::vector<Value>& indices, const std::string& output) {
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (indices[i]["output"].text() == output) rows.push_back(i);
  }
  const auto total = [&](std::size_t i) {
    const Value& t = indices[i]["total"];
    return t.isNull() ? -INFINITY : t.real();
  };
  std::stable_sort(rows.begin(), rows.end(),
                   [&](std::size_t a, std::size_t b) { return total(a) > total(b); });
  return rows;
}

// S1 and ST of every factor as bars with their intervals, the first factor on top.
std::string barsSvg(const JsonNumbers& n, const std::string& output) {
  std::vector<std::string> names;
  double highest = 1;
  const std::vector<Value>& indices = n.at("indices").items();
  const std::vector<std::size_t> rows = rankedRows(indices, output);
  for (const std::size_t i : rows) {
    names.push_back(indices[i]["factor"].text());
    for (const char* key : {"first_order_high", "total_high"}) {
      if (!indices[i][key].isNull()) highest = std::max(highest, indices[i][key].real());
    }
  }
  const double count = static_cast<double>(names.size());
  std::reverse(names.begin(), names.end());
  SvgChart chart(640, 60 + 34 * static_cast<int>(names.size()) + 48,
                 {std::min(0.0, -0.02), highest * 1.02, "index (share of the variance)"},
                 {-0.6, count - 0.4, ""}, "Sobol indices of " + output);
  chart.categories(names);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const Value& e = indices[rows[k]];
    const double y = count - 1 - static_cast<double>(k);
    const std::pair<const char*, double> bars[] = {{"first_order", 0.18}, {"total", -0.18}};
    for (const auto& [key, offset] : bars) {
      const Value& value = e[key];
      if (value.isNull()) continue;
      const std::string name(key);
      chart.box(0, y + offset - 0.15, value.real(), y + offset + 0.15,
                name == "total" ? "st" : "s1");
      chart.polyline(
          {{e[name + "_low"].real(), y + offset}, {e[name + "_high"].real(), y + offset}},
          "whisker");
    }
  }
  chart.legend({{"s1", "S1 first order"}, {"st", "ST total"}, {"whisker", "95 % interval"}});
  return chart.svg();
}

std::string indices(const JsonNumbers& n) {
  std::string html = "<h2>2 The indices</h2>\n";
  const std::vector<Value>& all = n.at("indices").items();
  for (const auto& [output, sum] : n.at("first_order_sums").members()) {
    html += "<figure><h3>" + htmlEscape(output) +
            "</h3><table><tr><th class=\"t\">factor</th>"
            "<th>S1</th><th>S1 95 %</th><th>ST</th><th>ST 95 %</th><th>tuples</th>"
            "<th>left out</th></tr>\n";
    for (const std::size_t i : rankedRows(all, output)) {
      const std::string at = "indices/" + std::to_string(i) + "/";
      html += "<tr><td class=\"t\">" + htmlEscape(all[i]["factor"].text()) + "</td><td>" +
              n(at + "first_order", 1, 3) + "</td><td>" + n(at + "first_order_low", 1, 3) + " to " +
              n(at + "first_order_high", 1, 3) + "</td><td>" + n(at + "total", 1, 3) + "</td><td>" +
              n(at + "total_low", 1, 3) + " to " + n(at + "total_high", 1, 3) + "</td><td>" +
              n(at + "tuples") + "</td><td>" + n(at + "left_out") + "</td></tr>\n";
    }
    html += "</table><p class=\"note\">Sum of S1: " + n("first_order_sums/" + output, 1, 3) +
            " (1 without interactions).</p>" + barsSvg(n, output) + "</figure>\n";
  }
  return html;
}

}  // namespace

std::string sensitivityPage(const Value& value, const CampaignManifest& manifest,
                            const CampaignSource& source) {
  const JsonNumbers n(value);
  std::string body = question(n, manifest);
  body += indices(n);
  body += provenanceHtml(n, manifest, source, 3);
  return htmlPage("Sensitivity study: " + manifest.dispersionFile, body, value);
}

}  // namespace ascent

#include "report/html_page.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "ascent/writers.h"

namespace ascent {

std::string htmlEscape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string embeddedJson(std::string_view json) {
  std::string text;
  text.reserve(json.size());
  for (std::size_t i = 0; i < json.size(); ++i) {
    // A '<' of JSON is inside a text, where "\/" and "\u003c" are the same text.
    if (json[i] == '<' && json.substr(i + 1, 1) == "/") {
      text += "<\\";
    } else if (json[i] == '<' && json.substr(i + 1, 3) == "!--") {
      text += "\\u003c";
    } else {
      text += json[i];
    }
  }
  return text;
}

const Value& valueAt(const Value& root, std::string_view path) {
  static const Value none;
  const Value* at = &root;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view step = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (at->kind() == Value::Kind::List) {
      std::size_t index = 0;
      const auto [end, error] = std::from_chars(step.data(), step.data() + step.size(), index);
      if (error != std::errc() || end != step.data() + step.size() || index >= at->items().size()) {
        return none;
      }
      at = &at->items()[index];
    } else {
      at = at->find(step);
      if (at == nullptr) return none;
    }
  }
  return *at;
}

std::string JsonNumbers::operator()(std::string_view path, double scale, int digits) const {
  const Value& value = at(path);
  std::string text = "<span class=\"n\" data-json=\"" + htmlEscape(path) + "\" data-scale=\"" +
                     exactText(scale) + "\" data-digits=\"" + std::to_string(digits) + "\">";
  const bool number = value.kind() == Value::Kind::Integer ||
                      value.kind() == Value::Kind::Unsigned || value.kind() == Value::Kind::Real;
  if (!number || !std::isfinite(value.real())) return text + "&#8211;</span>";
  char digitsText[64];
  std::snprintf(digitsText, sizeof digitsText, "%.*f", digits, value.real() * scale);
  return text + digitsText + "</span>";
}

DisplayUnit displayUnitOf(std::string_view output) {
  const auto endsWith = [&](std::string_view suffix) {
    return output.size() >= suffix.size() && output.substr(output.size() - suffix.size()) == suffix;
  };
  if (endsWith("_m")) return {1e-3, 3, "km"};
  if (endsWith("_kg")) return {1, 1, "kg"};
  if (endsWith("_Pa")) return {1e-3, 3, "kPa"};
  if (endsWith("_mps2")) return {1, 3, "m/s²"};
  if (endsWith("_N")) return {1e-3, 1, "kN"};
  if (endsWith("_deg")) return {1, 4, "deg"};
  return {1, 4, ""};
}

namespace {

// Legible on a screen and on paper; a chart or a table is never split
// between two printed pages.
constexpr std::string_view style = R"(
body{font:14px/1.45 system-ui,-apple-system,"Segoe UI",Helvetica,Arial,sans-serif;color:#1d2330;
margin:0 auto;max-width:1060px;padding:24px 28px;background:#fff}
h1{font-size:24px;margin:0 0 4px}h2{font-size:18px;margin:28px 0 8px;border-bottom:2px solid #d5dae3;
padding-bottom:3px}.sub{color:#556;margin:0 0 12px}
table{border-collapse:collapse;margin:6px 0 10px;font-variant-numeric:tabular-nums}
th,td{padding:3px 9px;border-bottom:1px solid #e3e6ec;text-align:right;vertical-align:top}
th{background:#f2f4f8;font-weight:600}td.t,th.t{text-align:left}
table.stats{font-size:12px}table.stats td,table.stats th{padding:2px 6px}
.verdict{display:inline-block;padding:1px 8px;border-radius:9px;font-weight:600;font-size:12px}
.met{background:#d8f0dc;color:#14532d}.not_met{background:#fadcdc;color:#7f1d1d}
.too_few_runs{background:#fbecc8;color:#78350f}
.banner{padding:10px 14px;border-radius:6px;margin:8px 0;font-size:16px;font-weight:600}
.big{font-size:22px;font-weight:700}.note{color:#556;font-size:12.5px}
pre{white-space:pre-wrap}
code,.mono{font-family:ui-monospace,"DejaVu Sans Mono",Menlo,monospace;font-size:12.5px;
word-break:break-all}
.charts{display:flex;flex-wrap:wrap;gap:14px}figure{margin:0;break-inside:avoid;page-break-inside:avoid}
figcaption{font-size:12.5px;color:#445;max-width:640px}
svg.chart{max-width:100%;height:auto;background:#fff}
svg .grid{stroke:#e6e9ef;stroke-width:1}svg .frame{fill:none;stroke:#8a93a3}
svg .tick{font-size:11px;fill:#333}svg .label{font-size:12.5px;fill:#111}
svg .title{font-size:13.5px;font-weight:600;fill:#111}svg .mark{font-size:11px;fill:#6b21a8}
svg .ok{fill:#2563eb;fill-opacity:.55}svg .bad{stroke:#dc2626;stroke-width:1.4;fill:#dc2626}
svg path.bad{fill:none}svg .e1,svg .e2,svg .e3{fill:none;stroke:#111;stroke-width:1.3}
svg .e2{stroke-dasharray:6 3}svg .e3{stroke-dasharray:2 3}
svg .extent{fill:none;stroke:#16a34a;stroke-width:1.5;stroke-dasharray:8 4}
svg .req{stroke:#6b21a8;stroke-width:1.5}svg .s1{fill:#2563eb}svg .st{fill:#f59e0b}
svg .whisker{stroke:#111;stroke-width:1.2}svg .sample.e1{fill:#111}svg .sample.extent{fill:#16a34a}
svg .sample.req{fill:#6b21a8}
table,.banner{break-inside:avoid;page-break-inside:avoid}h2{break-after:avoid;page-break-after:avoid}
@media print{body{max-width:none;padding:0;font-size:11.5px}h2{margin-top:16px}
@page{size:A4;margin:14mm}.charts{display:block}figure{margin-bottom:10px}}
)";

}  // namespace

std::string htmlPage(std::string_view title, std::string_view body, const Value& embedded) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      // Nothing of the page comes from elsewhere: no request leaves it.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; img-src data:\">\n<title>";
  page += htmlEscape(title);
  page += "</title>\n<style>";
  page += style;
  page += "</style>\n</head>\n<body>\n";
  page += body;
  page += "<script type=\"application/json\" id=\"summary\">";
  page += embeddedJson(jsonText(embedded));
  page += "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace ascent

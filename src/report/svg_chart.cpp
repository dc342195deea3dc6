#include "report/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "report/html_page.h"

namespace ascent {

namespace {

// Coordinates to a tenth of a pixel: finer is invisible and only makes the page longer.
std::string coordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// A tick's label: as few decimals as the step between ticks needs.
std::string tickLabel(double value, double step) {
  const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(value) < step * 1e-9 ? 0.0 : value);
  return text;
}

}  // namespace

ChartAxis axisOver(const std::vector<double>& values, double margin, std::string label) {
  double low = INFINITY, high = -INFINITY;
  for (const double v : values) {
    if (!std::isfinite(v)) continue;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  if (!(low <= high)) return {0, 1, std::move(label)};
  const double width = high > low ? high - low : std::max(std::abs(low) * 1e-3, 0.5);
  return {low - width * margin, high + width * margin, std::move(label)};
}

std::vector<double> roundTicks(double low, double high, int count) {
  const double raw = (high - low) / std::max(count, 1);
  if (!(raw > 0) || !std::isfinite(raw)) return {low};
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= raw) break;
  }
  std::vector<double> ticks;
  for (double k = std::ceil(low / step); k * step <= high + step * 1e-9; k += 1) {
    ticks.push_back(k * step);
  }
  return ticks;
}

SvgChart::SvgChart(int width_px, int height_px, ChartAxis x, ChartAxis y, std::string_view title)
    : width_(width_px), height_(height_px), x_(std::move(x)), y_(std::move(y)), title_(title) {}

void SvgChart::categories(std::vector<std::string> names) {
  categories_ = std::move(names);
  // Room on the left for the longest name, up to 40 characters.
  std::size_t longest = 0;
  for (const std::string& name : categories_) longest = std::max(longest, name.size());
  left_ = 16 + 7 * static_cast<int>(std::min<std::size_t>(40, longest));
}

double SvgChart::px(double x) const {
  return left_ + (x - x_.low) / (x_.high - x_.low) * (width_ - left_ - right_);
}

double SvgChart::py(double y) const {
  return height_ - bottom_ - (y - y_.low) / (y_.high - y_.low) * (height_ - top_ - bottom_);
}

void SvgChart::points(const ChartPoints& xy, std::string_view kind, std::string_view cssClass) {
  std::string path;
  for (const auto& [x, y] : xy) {
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    const std::string cx = coordinate(px(x)), cy = coordinate(py(y));
    if (kind == "cross") {
      path += "M" + coordinate(px(x) - 3) + ' ' + coordinate(py(y) - 3) + "l6 6m0 -6l-6 6";
    } else {
      marks_ += "<circle class=\"" + std::string(cssClass) + "\" cx=\"" + cx + "\" cy=\"" + cy +
                "\" r=\"2\"/>";
    }
  }
  // Crosses as one path: thousands of runs stay one element.
  if (!path.empty()) marks_ += "<path class=\"" + std::string(cssClass) + "\" d=\"" + path + "\"/>";
}

void SvgChart::polyline(const ChartPoints& xy, std::string_view cssClass) {
  std::string list;
  for (const auto& [x, y] : xy) {
    if (!std::isfinite(x) || !std::isfinite(y)) continue;
    list += (list.empty() ? "" : " ") + coordinate(px(x)) + ',' + coordinate(py(y));
  }
  if (list.empty()) return;
  marks_ += "<polyline class=\"" + std::string(cssClass) + "\" points=\"" + list + "\"/>";
}

void SvgChart::box(double x0, double y0, double x1, double y1, std::string_view cssClass) {
  if (!std::isfinite(x0 + y0 + x1 + y1)) return;
  const double left = std::min(px(x0), px(x1)), top = std::min(py(y0), py(y1));
  marks_ += "<rect class=\"" + std::string(cssClass) + "\" x=\"" + coordinate(left) + "\" y=\"" +
            coordinate(top) + "\" width=\"" + coordinate(std::abs(px(x1) - px(x0))) +
            "\" height=\"" + coordinate(std::abs(py(y1) - py(y0))) + "\"/>";
}

void SvgChart::vertical(double x, std::string_view cssClass, std::string_view label) {
  if (!std::isfinite(x) || x < x_.low || x > x_.high) return;
  const std::string at = coordinate(px(x));
  marks_ += "<line class=\"" + std::string(cssClass) + "\" x1=\"" + at + "\" x2=\"" + at +
            "\" y1=\"" + std::to_string(top_) + "\" y2=\"" + std::to_string(height_ - bottom_) +
            "\"/><text class=\"mark\" x=\"" + coordinate(px(x) + 3) + "\" y=\"" +
            std::to_string(top_ + 12) + "\">" + htmlEscape(label) + "</text>";
}

void SvgChart::horizontal(double y, std::string_view cssClass, std::string_view label) {
  if (!std::isfinite(y) || y < y_.low || y > y_.high) return;
  const std::string at = coordinate(py(y));
  marks_ += "<line class=\"" + std::string(cssClass) + "\" y1=\"" + at + "\" y2=\"" + at +
            "\" x1=\"" + std::to_string(left_) + "\" x2=\"" + std::to_string(width_ - right_) +
            "\"/><text class=\"mark\" x=\"" + std::to_string(left_ + 4) + "\" y=\"" +
            coordinate(py(y) - 3) + "\">" + htmlEscape(label) + "</text>";
}

void SvgChart::legend(std::vector<std::pair<std::string, std::string>> entries) {
  legend_ = std::move(entries);
}

std::string SvgChart::frame() const {
  std::string text;
  const int plotBottom = height_ - bottom_, plotRight = width_ - right_;
  const std::vector<double> xTicks = roundTicks(x_.low, x_.high, 6);
  const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1;
  for (const double t : xTicks) {
    const std::string at = coordinate(px(t));
    text += "<line class=\"grid\" x1=\"" + at + "\" x2=\"" + at + "\" y1=\"" +
            std::to_string(top_) + "\" y2=\"" + std::to_string(plotBottom) +
            "\"/><text class=\"tick\" text-anchor=\"middle\" x=\"" + at + "\" y=\"" +
            std::to_string(plotBottom + 14) + "\">" + tickLabel(t, xStep) + "</text>";
  }
  std::vector<std::pair<double, std::string>> yTicks;
  if (categories_.empty()) {
    const std::vector<double> ticks = roundTicks(y_.low, y_.high, 5);
    const double yStep = ticks.size() > 1 ? ticks[1] - ticks[0] : 1;
    for (const double t : ticks) yTicks.emplace_back(t, tickLabel(t, yStep));
  } else {
    for (std::size_t i = 0; i < categories_.size(); ++i) {
      yTicks.emplace_back(static_cast<double>(i), htmlEscape(categories_[i]));
    }
  }
  for (const auto& [t, label] : yTicks) {
    const std::string at = coordinate(py(t));
    if (categories_.empty()) {
      text += "<line class=\"grid\" y1=\"" + at + "\" y2=\"" + at + "\" x1=\"" +
              std::to_string(left_) + "\" x2=\"" + std::to_string(plotRight) + "\"/>";
    }
    text += "<text class=\"tick\" text-anchor=\"end\" x=\"" + std::to_string(left_ - 4) +
            "\" y=\"" + coordinate(py(t) + 4) + "\">" + label + "</text>";
  }
  text += "<rect class=\"frame\" x=\"" + std::to_string(left_) + "\" y=\"" + std::to_string(top_) +
          "\" width=\"" + std::to_string(plotRight - left_) + "\" height=\"" +
          std::to_string(plotBottom - top_) + "\"/>";
  text += "<text class=\"title\" x=\"" + std::to_string(left_) + "\" y=\"20\">" +
          htmlEscape(title_) + "</text>";
  text += "<text class=\"label\" text-anchor=\"middle\" x=\"" +
          coordinate((left_ + plotRight) / 2.0) + "\" y=\"" + std::to_string(plotBottom + 32) +
          "\">" + htmlEscape(x_.label) + "</text>";
  if (categories_.empty()) {
    text += "<text class=\"label\" text-anchor=\"middle\" transform=\"translate(14," +
            coordinate((top_ + plotBottom) / 2.0) + ") rotate(-90)\">" + htmlEscape(y_.label) +
            "</text>";
  }
  return text;
}

std::string SvgChart::svg() const {
  const int legendHeight = legend_.empty() ? 0 : 20;
  const int total = height_ + legendHeight;
  std::string text = "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" viewBox=\"0 0 " +
                     std::to_string(width_) + ' ' + std::to_string(total) + "\" width=\"" +
                     std::to_string(width_) + "\" height=\"" + std::to_string(total) + "\">";
  // Each chart's clip path has a name of its own on the page: its title's hash.
  const std::string clip = "clip" + std::to_string(std::hash<std::string>{}(title_) % 1000000007);
  text += "<defs><clipPath id=\"" + clip + "\"><rect x=\"" + std::to_string(left_) + "\" y=\"" +
          std::to_string(top_) + "\" width=\"" + std::to_string(width_ - left_ - right_) +
          "\" height=\"" + std::to_string(height_ - top_ - bottom_) + "\"/></clipPath></defs>";
  text += frame();
  text += "<g clip-path=\"url(#" + clip + ")\">" + marks_ + "</g>";
  int x = left_;
  for (const auto& [cssClass, label] : legend_) {
    const std::string y = std::to_string(height_ + 8);
    text += "<rect class=\"" + cssClass + " sample\" x=\"" + std::to_string(x) + "\" y=\"" +
            std::to_string(height_) + "\" width=\"12\" height=\"10\"/><text class=\"tick\" x=\"" +
            std::to_string(x + 16) + "\" y=\"" + y + "\">" + htmlEscape(label) + "</text>";
    x += 28 + 6 * static_cast<int>(label.size());
  }
  return text + "</svg>";
}

}  // namespace ascent

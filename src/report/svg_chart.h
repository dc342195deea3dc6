// Charts drawn as SVG text for the pages of a study (report/html_page.h):
// a frame with axes in the data's units, grid lines at round numbers, marks
// placed by their data coordinates and clipped to the plot. Styles are the
// page's (classes), so a chart needs no file and no network; every text is
// escaped.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ascent {

// One axis: the range drawn and its label with its unit ("perigee (km)").
struct ChartAxis {
  double low = 0, high = 1;
  std::string label;
};
// The range of `values` (the finite ones) widened by `margin` of its width
// on each side; 0 to 1 when there is none, a width of 1 for a single value.
ChartAxis axisOver(const std::vector<double>& values, double margin, std::string label);
// Round numbers from `low` to `high`, about `count` of them (1, 2 or 5 times
// a power of ten apart).
std::vector<double> roundTicks(double low, double high, int count);

using ChartPoints = std::vector<std::pair<double, double>>;

class SvgChart {
 public:
  SvgChart(int width_px, int height_px, ChartAxis x, ChartAxis y, std::string_view title);
  // Names the y axis's whole numbers 0 .. n-1 instead of its ticks (bars by factor).
  void categories(std::vector<std::string> names);
  // Marks at the points, of class `kind`: "dot" circles, "cross" crosses.
  void points(const ChartPoints& xy, std::string_view kind, std::string_view cssClass);
  void polyline(const ChartPoints& xy, std::string_view cssClass);
  // A rectangle between two corners in data units.
  void box(double x0, double y0, double x1, double y1, std::string_view cssClass);
  // A line across the plot at x (vertical) or y (horizontal), labelled.
  void vertical(double x, std::string_view cssClass, std::string_view label);
  void horizontal(double y, std::string_view cssClass, std::string_view label);
  // The legend below the plot: (class of the sample, text) pairs.
  void legend(std::vector<std::pair<std::string, std::string>> entries);
  // The <svg> element, with its size in its viewBox so that it scales.
  std::string svg() const;

 private:
  double px(double x) const;
  double py(double y) const;
  std::string frame() const;
  int width_, height_;
  ChartAxis x_, y_;
  std::string title_;
  std::vector<std::string> categories_;
  std::vector<std::pair<std::string, std::string>> legend_;
  std::string marks_;
  int left_ = 72, right_ = 16, top_ = 32, bottom_ = 48;
};

}  // namespace ascent

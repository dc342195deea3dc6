// Thrust files of the tests' own making, a reader for the rows of a report
// and the default vehicle's ullage flow, shared by the mission unit tests, the
// dialogue's tests and the end-to-end mission tests.
#pragma once

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ascent/vehicle.h"
#include "support/thrust_curve.h"

namespace ascent::testing {

// One row of the trajectory table, read from its fixed columns.
struct Row {
  std::string text;
  double t = 0, a = 0, vi = 0, h0 = 0, r0 = 0, alpha = 0, beta = 0, theta = 0, Pq = 0, mass = 0;
};

// A row is 77 characters (more when a value overflows its field) and starts
// with the time, two decimals in seven columns.
inline bool isRow(const std::string& line) {
  if (line.size() < 77 || line[4] != '.') return false;
  const std::string time = line.substr(0, 7);
  char* end = nullptr;
  std::strtod(time.c_str(), &end);
  return *end == '\0';
}

inline double field(const std::string& line, std::size_t begin, std::size_t width) {
  return std::strtod(line.substr(begin, width).c_str(), nullptr);
}

// A row whose values overflow their fields (a dynamic pressure of 1 MPa after
// falling back) is read only up to r0, by words.
inline Row parseRow(const std::string& line) {
  Row row;
  row.text = line;
  if (line.size() != 77) {
    std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf", &row.t, &row.a, &row.vi, &row.h0, &row.r0);
    return row;
  }
  row.t = field(line, 0, 7);
  row.a = field(line, 7, 6);
  row.vi = field(line, 13, 6);
  row.h0 = field(line, 19, 8);
  row.r0 = field(line, 27, 10);
  row.alpha = field(line, 37, 7);
  row.beta = field(line, 44, 7);
  row.theta = field(line, 51, 7);
  row.Pq = field(line, 58, 9);
  row.mass = field(line, 67, 10);
  return row;
}

// The numbers of a line that stand apart ("205.0\xb110.0 km" has two, "S3_Mi" none).
inline std::vector<double> numbersIn(const std::string& line) {
  std::vector<double> numbers;
  auto word = [&](std::size_t i) { return std::isalnum(static_cast<unsigned char>(line[i])); };
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (i > 0 && (word(i - 1) || line[i - 1] == '_' || line[i - 1] == '.')) continue;
    char* end = nullptr;
    const double value = std::strtod(line.c_str() + i, &end);
    if (end == line.c_str() + i ||
        !(std::isdigit(static_cast<unsigned char>(line[i])) || line[i] == '-'))
      continue;
    numbers.push_back(value);
    i = static_cast<std::size_t>(end - line.c_str()) - 1;
  }
  return numbers;
}

// kg/s: the default vehicle's ullage motors burn their propellant from
// ignition to the end of the first start-up step.
inline const double ullageFlow = Vehicle::defaults().ullage.propellant_kg /
                                 (Vehicle::defaults().timeline.ullage_burn_to_separation_s +
                                  Vehicle::defaults().timeline.separation_coast_s +
                                  Vehicle::defaults().timeline.first_startup_step_s);

inline std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace ascent::testing

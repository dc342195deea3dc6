// Booster thrust histories of the tests' own making, shared by the tests, the
// benchmarks and the fuzz targets: a plateau, a linear tail-off, then nothing,
// sampled at the nominal record interval so that the pitch kicks last as long
// as with the shipped history.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ascent::testing {

constexpr double interval = 0.986832971065;  // s, nominal time between thrust records

struct ThrustRecord {
  double time;    // s
  double thrust;  // N, one booster
};

// A booster of the tests' own making: `plateau` newtons from the first record
// to `burnEnd`, falling linearly to zero at `tailOffEnd`, zero after; records
// every `interval` from `firstTime`, up to 160 s. With the defaults the
// vehicle reaches orbit.
inline std::vector<ThrustRecord> thrustCurve(double plateau = 20e6, double burnEnd = 120.0,
                                             double tailOffEnd = 126.0,
                                             double firstTime = interval) {
  std::vector<ThrustRecord> records;
  for (int k = 0;; ++k) {
    const double t = firstTime + k * interval;
    if (t > 160.0) break;
    double thrust = plateau;
    if (t >= tailOffEnd) {
      thrust = 0;
    } else if (t > burnEnd) {
      thrust = plateau * (tailOffEnd - t) / (tailOffEnd - burnEnd);
    }
    records.push_back({t, thrust});
  }
  return records;
}

// The file text, both numbers with 12 decimals; `tail` is appended to every line.
inline std::string thrustFile(const std::vector<ThrustRecord>& records,
                              const std::string& tail = "") {
  std::string text;
  char line[128];
  for (const auto& r : records) {
    std::snprintf(line, sizeof line, "%.12f %.12f", r.time, r.thrust);
    text += line + tail + "\n";
  }
  return text;
}

}  // namespace ascent::testing

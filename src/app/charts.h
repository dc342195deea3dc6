// The charts of the commands as gnuplot scripts (app/gnuplot.h runs them):
// each function builds its chart's script from a result and returns the
// chart's PNG bytes. Labels come from the results and the program's own
// names, never from a name typed by the user.
#pragma once

#include <cstddef>
#include <string>

#include "ascent/performance.h"
#include "ascent/trade.h"

namespace ascent {

// The converged turn times of a sweep, gathered as its rows arrive.
struct SweepChart {
  std::string points;  // "turn time, SC_M, limit" lines
  std::size_t converged = 0;
  double lowest_s = 0, highest_s = 0;  // the turn times charted
  void add(const SweepRow& row);
};
// SC_M and the limit against the turn time, the best design (null: none)
// labelled; the title names the target altitude.
std::string sweepChart(const SweepChart& chart, const SweepRow* best, double altitude_m);

// The tornado: the change of SC_M for each value 1 % below and above, the
// largest effects at the top.
std::string tornadoChart(const TradeResult& result, const TradeSettings& settings);

// The payload to orbit: the heaviest spacecraft against the circular orbit
// altitude, one point per altitude with a design.
std::string payloadChart(const PerformanceResult& result, const PerformanceSettings& settings);

}  // namespace ascent

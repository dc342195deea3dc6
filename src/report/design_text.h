// The words of the design commands: what a sweep found, the optimum turn
// time and the table of exchange ratios, as the command line prints them
// (kilometres and whole kilograms: text meant to be read).
#pragma once

#include <cstddef>
#include <string>

#include "ascent/performance.h"
#include "ascent/sweep.h"
#include "ascent/trade.h"

namespace ascent {

// ", peak dynamic pressure at most 28.3 kPa" when the settings limit it;
// empty when they do not.
std::string dynamicPressureLimitText(const SearchSettings& settings);

// "turn time 18 s, limit 24.06 deg: SC_M 11930 kg, remaining propellant
// 31 kg, 185.2 x 215.0 km".
std::string designLine(const SweepRow& row);

// "Sweep: ..." and "Best design: ..." lines.
std::string sweepText(const SweepResult& tally);

// "Nearest: turn time 12.75 s (no_propellant_left: the upper stage 216 kg
// short), ..." for a search without an optimum; empty for one with one.
std::string nearestText(const OptimizeResult& result);

// The search, the optimum and its flat top, what was flown.
std::string optimizeText(const OptimizeResult& result, const OptimizeSettings& settings);

// The base design and one line per key traded, largest effect first, then
// the keys that could not be traded; or why the vehicle as given has none.
std::string tradeText(const TradeResult& result, const TradeSettings& settings);

// The optimum at every altitude, one line each, a row without a design with
// its verdict; "*" marks an optimum at an end of the turn times searched.
std::string performanceText(const PerformanceResult& result, const PerformanceSettings& settings);

}  // namespace ascent

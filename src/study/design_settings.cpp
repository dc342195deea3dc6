// The settings of the design studies (sweep, optimize, trade) and the rules
// both front ends read them by: the text forms of a turn-time range, a shard
// and a list of keys, and the domains of the numbers. Each study refuses
// settings outside them with std::invalid_argument before it flies a mission.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "ascent/performance.h"
#include "ascent/study.h"
#include "ascent/trade.h"
#include "mission/number_reader.h"
#include "study/thrust_check.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<unsigned> jobsTable[] = {
    {"jobs", "the number of threads",
     [](const unsigned& jobs) { return static_cast<double>(jobs); },
     1, highestJobs, true, true, "", 1},
};

constexpr SettingDomain<OptimizeSettings> optimizeTable[] = {
    {"from_s", "the first turn time", [](const OptimizeSettings& s) { return s.from_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"to_s", "the last turn time", [](const OptimizeSettings& s) { return s.to_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"scan_points", "the number of scan points",
     [](const OptimizeSettings& s) { return static_cast<double>(s.scanPoints); },
     3, 10000, true, true, "", 1},
    {"turn_time_tolerance_s", "the turn-time tolerance",
     [](const OptimizeSettings& s) { return s.turnTimeTolerance_s; },
     0, highestTurnTime_s, false, false, "s", 1},
};

// The step is a fraction of the value: at a quarter the larger step halves it.
constexpr SettingDomain<TradeSettings> tradeTable[] = {
    {"turn_time_s", "the turn time", [](const TradeSettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"relative_step", "the relative step", [](const TradeSettings& s) { return s.relativeStep; },
     0, 0.25, false, false, "", 1},
};
// clang-format on

// The decimals a number is written with: "0.05" 2, "5" 0, "1e-3" 3.
int decimalsOf(std::string_view text) {
  const std::size_t exponent = text.find_first_of("eE");
  const std::string_view mantissa = text.substr(0, exponent);
  const std::size_t point = mantissa.find('.');
  long decimals =
      point == std::string_view::npos ? 0 : static_cast<long>(mantissa.size() - point - 1);
  if (exponent != std::string_view::npos) {
    decimals -= std::strtol(std::string(text.substr(exponent + 1)).c_str(), nullptr, 10);
  }
  return static_cast<int>(std::clamp(decimals, 0L, 17L));
}

// Decimal digits only (no sign, exponent or base prefix) within [lowest, highest].
bool readDecimal(std::string_view text, std::size_t lowest, std::size_t highest,
                 std::size_t& value) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  value = std::stoul(std::string(text));
  return value >= lowest && value <= highest;
}

// The words of a range's messages and its bounds, in the unit typed.
struct RangeWords {
  const char* things;  // "turn times"
  const char* range;   // "turn-time range"
  const char* unitWords;
  const char* unit;
  double lowest, highest;
  std::size_t most;  // the most values a range holds
};

// FROM + k * STEP up to TO, each computed from FROM, not accumulated, and
// rounded to the decimals of FROM and STEP.
std::vector<double> evenRange(std::string_view text, const RangeWords& w) {
  const std::string things = w.things, unit = w.unit;
  const std::size_t first = text.find(':');
  const std::size_t second = first == text.npos ? first : text.find(':', first + 1);
  double from = 0, to = 0, step = 0;
  if (second == text.npos || !parseReal(text.substr(0, first), from) ||
      !parseReal(text.substr(first + 1, second - first - 1), to) ||
      !parseReal(text.substr(second + 1), step)) {
    throw std::invalid_argument("the " + things + " must be FROM:TO:STEP, three numbers (" +
                                w.unitWords + ")");
  }
  if (!(step > 0) || !(from <= to)) {
    throw std::invalid_argument("the " + std::string(w.range) + " needs STEP > 0 and FROM <= TO");
  }
  if (!(from >= w.lowest) || !(to <= w.highest)) {
    throw std::invalid_argument("the " + things + " must lie from " + readableText(w.lowest) +
                                " to " + readableText(w.highest) + " " + unit);
  }
  // A TO within a millionth of a step of FROM + k * STEP still counts as
  // reached (5:6:0.1 ends at 6).
  const double count = std::floor((to - from) / step + 1e-6) + 1;
  if (!(count <= static_cast<double>(w.most))) {
    throw std::invalid_argument("the " + std::string(w.range) + " holds more than " +
                                std::to_string(w.most) + " " + things);
  }
  const int decimals =
      std::max(decimalsOf(text.substr(0, first)), decimalsOf(text.substr(second + 1)));
  std::vector<double> values;
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", decimals, from + static_cast<double>(k) * step);
    double value = 0;
    parseReal(digits, value);
    if (!values.empty() && !(value > values.back())) {
      throw std::invalid_argument("the step " + exactText(step) + " " + unit + " repeats " +
                                  things + " (" + exactText(value) + " " + unit +
                                  "); use a larger step");
    }
    values.push_back(value);
  }
  return values;
}

std::string shardWords(std::string_view text) {
  return "'" + std::string(text) +
         "' is not I/N with 1 <= I <= N <= " + std::to_string(highestSweepTurnTimes);
}

}  // namespace

std::span<const SettingDomain<unsigned>> jobsDomain() {
  return jobsTable;
}

std::string jobsProblem(unsigned jobs) {
  return jobs == 0 ? std::string() : settingsProblem(jobsDomain(), jobs);
}

std::vector<double> turnTimeRange(std::string_view text) {
  return evenRange(text, {"turn times", "turn-time range", "seconds", "s", lowestTurnTime_s,
                          highestTurnTime_s, highestSweepTurnTimes});
}

std::vector<double> altitudeRange(std::string_view text) {
  const SettingDomain<SearchSettings>& domain = *findDomain(searchSettingsDomain(), "altitude_m");
  const std::vector<double> shown =
      evenRange(text, {"altitudes", "altitude range", "km", "km", domain.lowest / domain.siPerUnit,
                       domain.highest / domain.siPerUnit, highestPerformanceAltitudes});
  // In metres with the decimals the kilometres had, less three: 150.1 km is
  // 150100 m, not 150100.00000000003.
  const int decimals = std::max(decimalsOf(text.substr(0, text.find(':'))),
                                decimalsOf(text.substr(text.rfind(':') + 1)));
  std::vector<double> altitudes_m;
  for (double altitude : shown) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", std::max(decimals - 3, 0),
                  altitude * domain.siPerUnit);
    double altitude_m = 0;
    parseReal(digits, altitude_m);
    altitudes_m.push_back(altitude_m);
  }
  return altitudes_m;
}

Shard parseShard(std::string_view text) {
  Shard shard;
  const std::size_t slash = text.find('/');
  if (slash == text.npos ||
      !readDecimal(text.substr(slash + 1), 1, highestSweepTurnTimes, shard.count) ||
      !readDecimal(text.substr(0, slash), 1, shard.count, shard.index)) {
    throw std::invalid_argument(shardWords(text));
  }
  return shard;
}

std::string shardProblem(const Shard& shard) {
  if (shard.index >= 1 && shard.index <= shard.count && shard.count <= highestSweepTurnTimes) {
    return {};
  }
  return shardWords(std::to_string(shard.index) + "/" + std::to_string(shard.count));
}

std::vector<double> shardSelection(const std::vector<double>& turnTimes, const Shard& shard) {
  std::vector<double> selected;
  if (shardProblem(shard).empty()) {
    for (std::size_t k = shard.index - 1; k < turnTimes.size(); k += shard.count) {
      selected.push_back(turnTimes[k]);
    }
  }
  return selected;
}

std::string settingsProblem(const SweepSettings& settings) {
  if (settings.turnTimes.empty()) return "there is no turn time to fly";
  if (settings.turnTimes.size() > highestSweepTurnTimes) {
    return "the sweep holds more than " + std::to_string(highestSweepTurnTimes) + " turn times";
  }
  for (double turnTime_s : settings.turnTimes) {
    if (std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) return problem;
  }
  if (std::string problem = settingsProblem(settings.search); !problem.empty()) return problem;
  if (std::string problem = jobsProblem(settings.jobs); !problem.empty()) return problem;
  return shardProblem(settings.shard);
}

std::size_t sweep(const ThrustHistory& history, const Vehicle& vehicle,
                  const SweepSettings& settings, const std::function<void(const SweepRow&)>& onRow,
                  const std::function<bool()>& stop) {
  if (std::string problem = settingsProblem(settings); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  const std::vector<double> flown = shardSelection(settings.turnTimes, settings.shard);
  // The last turn time reads the most records.
  if (!flown.empty()) requireFlyable(history, vehicle, flown.back());
  return sweepTurnTimes(history, vehicle, flown, settings.search, settings.jobs, onRow, stop);
}

std::span<const SettingDomain<OptimizeSettings>> optimizeSettingsDomain() {
  return optimizeTable;
}

std::string settingsProblem(const OptimizeSettings& settings) {
  if (std::string problem = settingsProblem(optimizeSettingsDomain(), settings); !problem.empty()) {
    return problem;
  }
  if (!(settings.from_s <= settings.to_s)) {
    return "the first turn time " + readableText(settings.from_s) + " s is after the last " +
           readableText(settings.to_s) + " s";
  }
  return settingsProblem(settings.search);
}

void parseTurnTimeSpan(std::string_view text, OptimizeSettings& settings) {
  const std::size_t colon = text.find(':');
  if (colon == text.npos || !parseReal(text.substr(0, colon), settings.from_s) ||
      !parseReal(text.substr(colon + 1), settings.to_s)) {
    throw std::invalid_argument("the turn times must be FROM:TO, two numbers (seconds)");
  }
}

std::span<const SettingDomain<TradeSettings>> tradeSettingsDomain() {
  return tradeTable;
}

std::string tradeKeysProblem(const std::vector<std::string>& keys) {
  if (keys.empty()) return "the list of keys is empty: name at least one key";
  for (const std::string& key : keys) {
    if (findVehicleKey(key) == nullptr) {
      return "'" + key + "' is not a vehicle key" + didYouMean(key, vehicleKeyNames());
    }
  }
  for (auto key = keys.begin(); key != keys.end(); ++key) {
    if (std::find(keys.begin(), key, *key) != key) return "the key '" + *key + "' is given twice";
  }
  return {};
}

std::vector<std::string> parseTradeKeys(std::string_view text) {
  std::vector<std::string> keys;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t comma = text.find(',', start);
    if (comma == text.npos) comma = text.size();
    keys.emplace_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  // "a," names an empty key after the comma.
  if (!text.empty() && text.back() == ',') keys.emplace_back();
  if (std::string problem = tradeKeysProblem(keys); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  return keys;
}

std::string settingsProblem(const TradeSettings& settings) {
  if (std::string problem = settingsProblem(tradeSettingsDomain(), settings); !problem.empty()) {
    return problem;
  }
  if (std::string problem = settings.reoptimize ? settingsProblem(settings.optimize)
                                                : settingsProblem(settings.optimize.search);
      !problem.empty()) {
    return problem;
  }
  return settings.keys.empty() ? std::string() : tradeKeysProblem(settings.keys);
}

}  // namespace ascent

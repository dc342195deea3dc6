// The texts of a study's settings as both doors read them (ascent/grammar.h).
#include "ascent/grammar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "ascent/performance.h"
#include "ascent/trade.h"
#include "files/quantity.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

[[noreturn]] void refuse(std::string problem) {
  throw InputError({std::move(problem)});
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

// The words of a range's messages and its bounds, in the unit shown.
struct RangeWords {
  const char* things;  // "turn times"
  const char* range;   // "turn-time range"
  const char* unitWords;
  const char* unit;  // the unit shown, of a part written without one
  double lowest, highest;
  std::size_t most;  // the most values a range holds
};

// Values in the unit shown, rounded to `decimals`.
struct EvenRange {
  std::vector<double> values;
  int decimals = 0;
};

// The parts of "FROM:TO:STEP" in the unit shown, or false when it is not
// three numbers.
bool readRangeParts(std::string_view text, const char* unit, WrittenQuantity (&parts)[3]) {
  const std::size_t first = text.find(':');
  const std::size_t second = first == text.npos ? first : text.find(':', first + 1);
  return second != text.npos && text.find(':', second + 1) == text.npos &&
         readWrittenQuantity(text.substr(0, first), unit, parts[0]) &&
         readWrittenQuantity(text.substr(first + 1, second - first - 1), unit, parts[1]) &&
         readWrittenQuantity(text.substr(second + 1), unit, parts[2]);
}

// FROM + k * STEP up to TO, each computed from FROM, not accumulated, and
// rounded to the decimals of FROM and STEP.
EvenRange evenRange(std::string_view text, const RangeWords& w) {
  const std::string things = w.things, unit = w.unit;
  WrittenQuantity parts[3];
  if (!readRangeParts(text, w.unit, parts)) {
    refuse("the " + things + " must be FROM:TO:STEP, three numbers (" + w.unitWords + ")");
  }
  const double from = parts[0].quantity.shown, to = parts[1].quantity.shown,
               step = parts[2].quantity.shown;
  if (!(step > 0) || !(from <= to)) {
    refuse("the " + std::string(w.range) + " needs STEP > 0 and FROM <= TO");
  }
  if (!(from >= w.lowest) || !(to <= w.highest)) {
    refuse("the " + things + " must lie from " + readableText(w.lowest) + " to " +
           readableText(w.highest) + " " + unit);
  }
  // A TO within a millionth of a step of FROM + k * STEP still counts as
  // reached (5:6:0.1 ends at 6).
  const double count = std::floor((to - from) / step + 1e-6) + 1;
  if (!(count <= static_cast<double>(w.most))) {
    refuse("the " + std::string(w.range) + " holds more than " + std::to_string(w.most) + " " +
           things);
  }
  EvenRange range;
  range.decimals = std::max(parts[0].decimals, parts[2].decimals);
  for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", range.decimals,
                  from + static_cast<double>(k) * step);
    double value = 0;
    parseReal(digits, value);
    if (!range.values.empty() && !(value > range.values.back())) {
      refuse("the step " + exactText(step) + " " + unit + " repeats " + things + " (" +
             exactText(value) + " " + unit + "); use a larger step");
    }
    range.values.push_back(value);
  }
  return range;
}

std::string shardWords(std::string_view text) {
  return "'" + std::string(text) +
         "' is not I/N with 1 <= I <= N <= " + std::to_string(highestSweepTurnTimes);
}

// Why `text` is not a whole number of a campaign (see campaignNumber);
// empty when `value` holds it.
std::string wholeNumberProblem(std::string_view what, std::string_view text, std::uint64_t& value) {
  // An optional minus and decimal digits: a whole number, if maybe out of range.
  const std::string_view digits = text.substr(!text.empty() && text.front() == '-' ? 1 : 0);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return "'" + std::string(text) + "' is not a whole number";
  }
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool negative =
      digits.size() != text.size() && digits.find_first_not_of('0') != digits.npos;
  if (negative || error != std::errc() || end != digits.data() + digits.size()) {
    return std::string(what) + " " + std::string(text) + " is outside 0 to " +
           std::to_string(std::numeric_limits<std::uint64_t>::max());
  }
  return {};
}

}  // namespace

std::vector<double> turnTimeRange(std::string_view text) {
  return evenRange(text, {"turn times", "turn-time range", "seconds", "s", lowestTurnTime_s,
                          highestTurnTime_s, highestSweepTurnTimes})
      .values;
}

std::vector<double> altitudeRange(std::string_view text) {
  const SettingDomain<SearchSettings>& domain =
      *findDomain(searchSettingsDomain(), "target_altitude_m");
  const EvenRange shown =
      evenRange(text, {"altitudes", "altitude range", "km", "km", domain.lowest / domain.siPerUnit,
                       domain.highest / domain.siPerUnit, highestPerformanceAltitudes});
  // In metres with the decimals the kilometres had, less three: 150.1 km is
  // 150100 m, not 150100.00000000003.
  std::vector<double> altitudes_m;
  for (double altitude : shown.values) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.*f", std::max(shown.decimals - 3, 0),
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
    refuse(shardWords(text));
  }
  return shard;
}

void turnTimeSpan(std::string_view text, double& from_s, double& to_s) {
  const std::size_t colon = text.find(':');
  WrittenQuantity from, to;
  if (colon == text.npos || text.find(':', colon + 1) != text.npos ||
      !readWrittenQuantity(text.substr(0, colon), "s", from) ||
      !readWrittenQuantity(text.substr(colon + 1), "s", to)) {
    refuse("the turn times must be FROM:TO, two numbers (seconds)");
  }
  from_s = from.quantity.value;
  to_s = to.quantity.value;
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
    refuse(problem);
  }
  return keys;
}

Requirement parseRequirement(std::string_view text) {
  const std::span<const std::string_view> outputs = campaignOutputNames();
  Requirement r;
  r.text = std::string(text);
  const std::size_t at = text.find_first_of("<>");
  if (at == std::string_view::npos || at + 1 >= text.size() || text[at + 1] != '=') {
    refuse("the requirement '" + r.text + "' is not OUTPUT>=VALUE or OUTPUT<=VALUE");
  }
  r.output = std::string(text.substr(0, at));
  r.atLeast = text[at] == '>';
  if (std::find(outputs.begin(), outputs.end(), r.output) == outputs.end()) {
    refuse("the requirement '" + r.text + "' names no output '" + r.output + "'" +
           didYouMean(r.output, outputs));
  }
  // The unit of the output's column, which ends its name.
  const CampaignRowSchema columns({});
  const auto column =
      std::find_if(columns.fields().begin(), columns.fields().end(),
                   [&r](const Field<CampaignRow>& field) { return field.info.name == r.output; });
  const std::string_view unit = column == columns.fields().end() ? "" : column->info.unit;
  WrittenQuantity written;
  bool number = false;
  try {
    number = readWrittenQuantity(text.substr(at + 2), unit, written);
  } catch (const InputError& problem) {
    refuse("the requirement '" + r.text + "': " + problem.what());
  }
  if (!number) {
    refuse("the requirement '" + r.text + "' has no number after " +
           std::string(text.substr(at, 2)));
  }
  r.value = written.quantity.value;
  return r;
}

std::uint64_t campaignNumber(std::string_view what, std::string_view text) {
  std::uint64_t value = 0;
  if (std::string problem = wholeNumberProblem(what, text, value); !problem.empty()) {
    refuse(problem);
  }
  return value;
}

void parseRuns(std::string_view text, std::uint64_t& firstRun, std::uint64_t& endRun) {
  auto whole = [text](std::string_view digits, std::uint64_t& value) {
    const std::string problem = wholeNumberProblem("the run", digits, value);
    if (problem.empty()) return;
    // A number out of range is said to be one; anything else is not N or A:B.
    refuse(problem.front() == '\'' ? "'" + std::string(text) + "' is not N or A:B" : problem);
  };
  const std::size_t colon = text.find(':');
  firstRun = 0;
  if (colon == std::string_view::npos) {
    whole(text, endRun);
  } else {
    whole(text.substr(0, colon), firstRun);
    whole(text.substr(colon + 1), endRun);
  }
  if (std::string problem = runsProblem(firstRun, endRun); !problem.empty()) refuse(problem);
}

GuidanceMode parseGuidance(std::string_view text) {
  const auto names = guidanceNames();
  const auto at = std::find(names.begin(), names.end(), text);
  if (at == names.end()) {
    refuse("'" + std::string(text) + "' is not a guidance (fixed, before_launch, in_flight, " +
           "omniscient)" + didYouMean(text, names));
  }
  return static_cast<GuidanceMode>(at - names.begin());
}

unsigned parseKnown(std::string_view text) {
  if (text == "none") return 0;
  constexpr std::string_view known[] = {"vehicle", "launch_day"};
  unsigned bits = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view word = text.substr(start, comma - start);
    const auto at = std::find(std::begin(known), std::end(known), word);
    if (at == std::end(known)) {
      refuse("'" + std::string(word) + "' is not a class the guidance can know (vehicle, " +
             "launch_day; or none)" + didYouMean(word, known));
    }
    bits |= 1u << static_cast<unsigned>(at == std::begin(known) ? Knowledge::Vehicle
                                                                : Knowledge::LaunchDay);
    start = comma + 1;
  }
  return bits;
}

}  // namespace ascent

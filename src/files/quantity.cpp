// Numbers with their units as a user writes them (ascent/grammar.h).
#include "files/quantity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "ascent/errors.h"
#include "mission/number_reader.h"

namespace ascent {

namespace {

enum class Dimension { Count, Length, Time, Angle, Mass, Pressure, Force, Acceleration };

constexpr std::string_view dimensionWords[] = {"a number", "a length",       "a time",
                                               "an angle", "a mass",         "a pressure",
                                               "a force",  "an acceleration"};

// The power of ten of a unit that is none.
constexpr int notPowerOfTen = 1000;

struct Unit {
  std::string_view symbol;
  Dimension dimension;
  double perUnit;  // the program's unit (SI; deg for an angle) in one
  int power;       // perUnit is 10^power, or notPowerOfTen
};

// The symbols are case-sensitive, as SI's are: "mPa" would be millipascals.
// clang-format off
constexpr Unit units[] = {
    {"m", Dimension::Length, 1, 0},
    {"km", Dimension::Length, 1e3, 3},
    {"s", Dimension::Time, 1, 0},
    {"deg", Dimension::Angle, 1, 0},
    {"rad", Dimension::Angle, 180 / std::numbers::pi, notPowerOfTen},
    {"kg", Dimension::Mass, 1, 0},
    {"t", Dimension::Mass, 1e3, 3},
    {"Pa", Dimension::Pressure, 1, 0},
    {"kPa", Dimension::Pressure, 1e3, 3},
    {"MPa", Dimension::Pressure, 1e6, 6},
    {"N", Dimension::Force, 1, 0},
    {"kN", Dimension::Force, 1e3, 3},
    {"MN", Dimension::Force, 1e6, 6},
    {"m/s^2", Dimension::Acceleration, 1, 0},
    // Standard gravity, 9.80665 m/s^2 by definition (3rd CGPM, 1901).
    {"g", Dimension::Acceleration, 9.80665, notPowerOfTen},
};
// clang-format on

[[noreturn]] void refuse(std::string problem) {
  throw InputError({std::move(problem)});
}

const Unit* findUnit(std::string_view symbol) {
  const auto found = std::find_if(std::begin(units), std::end(units),
                                  [symbol](const Unit& u) { return u.symbol == symbol; });
  return found == std::end(units) ? nullptr : found;
}

// "m or km", "Pa, kPa or MPa".
std::string unitChoices(Dimension dimension) {
  std::vector<std::string_view> symbols;
  for (const Unit& u : units) {
    if (u.dimension == dimension) symbols.push_back(u.symbol);
  }
  std::string words;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    words += i == 0 ? "" : i + 1 == symbols.size() ? " or " : ", ";
    words += symbols[i];
  }
  return words;
}

std::string wrongUnitProblem(std::string_view text, const Unit* unit, Dimension dimension) {
  const std::string quoted = "'" + std::string(text) + "'";
  const std::string_view wanted = dimensionWords[static_cast<int>(dimension)];
  if (dimension == Dimension::Count) return quoted + " is not a number";
  const std::string choices = " (" + unitChoices(dimension) + ")";
  if (unit == nullptr) return quoted + " is not " + std::string(wanted) + choices;
  return quoted + " is " + std::string(dimensionWords[static_cast<int>(unit->dimension)]) +
         ", not " + std::string(wanted) + choices;
}

// `number`, a decimal text parseReal reads as `typed`, times 10^power, rounded
// once from the decimal text: 150.1 km is 150100 m, not 150100.00000000003.
// +-infinity beyond a double.
double timesPowerOfTen(std::string_view number, double typed, int power) {
  if (power == 0) return typed;
  std::string text(number);
  long exponent = 0;
  if (const std::size_t e = text.find_first_of("eE"); e != std::string::npos) {
    exponent = std::clamp(std::strtol(text.c_str() + e + 1, nullptr, 10), -100000L, 100000L);
    text.resize(e);
  }
  text += "e" + std::to_string(exponent + power);
  double value = 0;
  if (parseReal(text, value)) return value;
  return std::copysign(std::numeric_limits<double>::infinity(), typed);
}

// `typed` times `factor` (positive), +-infinity beyond a double, without the
// overflow a trap would catch.
double timesFactor(double typed, double factor) {
  if (std::abs(typed) > std::numeric_limits<double>::max() / std::max(factor, 1.0)) {
    return std::copysign(std::numeric_limits<double>::infinity(), typed);
  }
  return typed * factor;
}

}  // namespace

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

bool readWrittenQuantity(std::string_view text, std::string_view unit, WrittenQuantity& w) {
  const Unit* shownUnit = unit.empty() ? nullptr : findUnit(unit);
  if (!unit.empty() && shownUnit == nullptr) {
    throw Error(errorCode::unusableData, "no unit '" + std::string(unit) + "'");
  }
  const Dimension dimension = shownUnit == nullptr ? Dimension::Count : shownUnit->dimension;
  // No unit begins with a character of a number.
  const std::size_t end = std::min(text.find_first_not_of("0123456789+-.eE"), text.size());
  const std::string_view number = text.substr(0, end), symbol = text.substr(end);
  double typed = 0;
  if (!parseReal(number, typed) || !std::isfinite(typed)) return false;
  const Unit* written = symbol.empty() ? shownUnit : findUnit(symbol);
  if (!symbol.empty() && (written == nullptr || written->dimension != dimension)) {
    refuse(wrongUnitProblem(text, written, dimension));
  }
  if (symbol.empty() && unit == "Pa" && typed > 0 && typed < 1000) {
    const std::string typedText(number);
    refuse(typedText + " Pa is below 1 kPa; did you mean " + typedText + "kPa?");
  }
  Quantity& q = w.quantity;
  q.bare = symbol.empty();
  if (written == nullptr) {
    q.value = q.shown = typed;
    w.decimals = decimalsOf(number);
  } else if (written->power != notPowerOfTen && shownUnit->power != notPowerOfTen) {
    q.value = timesPowerOfTen(number, typed, written->power);
    const int shift = written->power - shownUnit->power;
    q.shown = timesPowerOfTen(number, typed, shift);
    // Metres have three decimals fewer than the same length in km.
    w.decimals = std::clamp(decimalsOf(number) - shift, 0, 17);
  } else {
    q.value = timesFactor(typed, written->perUnit);
    q.shown = timesFactor(typed, written->perUnit / shownUnit->perUnit);
    w.decimals = 17;
  }
  return true;
}

Quantity readQuantity(std::string_view text, std::string_view unit) {
  WrittenQuantity written;
  if (!readWrittenQuantity(text, unit, written)) {
    refuse("'" + std::string(text) + "' is not a number");
  }
  return written.quantity;
}

double quantityValue(std::string_view text, std::string_view unit) {
  return readQuantity(text, unit).value;
}

}  // namespace ascent

// The fixed-point writers checked against the C library's printf, on the
// fields the program prints and on values drawn to hit their hard cases. Shared
// by the unit test and by tools/check_number_format.cpp, which runs the same
// comparison on many more values.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "report/fixed_format.h"

namespace ascent::fixed_format_check {

struct Field {
  int width;
  int decimals;
  bool whole;  // writeWhole: rounded to an integer, never "-0"
};

// Every field of the report, the data files, the prompts and the messages.
inline constexpr Field programFields[] = {
    {7, 2, false},  {6, 1, false}, {6, 0, true},  {8, 0, true},    {10, 0, true}, {9, 1, false},
    {10, 1, false}, {9, 3, false}, {8, 3, false}, {9, 4, false},   {1, 0, false}, {5, 3, false},
    {7, 4, false},  {5, 1, false}, {3, 1, false}, {4, 2, false},   {5, 2, false}, {6, 0, false},
    {4, 0, false},  {3, 0, false}, {6, 3, false}, {14, 12, false},
};

// printf's "%*.*f" of value + 0.0; for a whole field "%.0f" of the value with
// the sign of a zero result dropped.
inline std::string printfField(double value, Field field) {
  char text[512];
  if (!field.whole) {
    std::snprintf(text, sizeof text, "%*.*f", field.width, field.decimals, value + 0.0);
    return text;
  }
  std::snprintf(text, sizeof text, "%.0f", value);
  std::string digits = std::strcmp(text, "-0") == 0 ? "0" : text;
  if (digits.size() < static_cast<std::size_t>(field.width)) {
    digits.insert(0, static_cast<std::size_t>(field.width) - digits.size(), ' ');
  }
  return digits;
}

inline std::string writtenField(double value, Field field) {
  char text[fixedFieldRoom(64, 64)];
  char* end = field.whole ? writeWhole(text, value, field.width)
                          : writeFixed(text, value, field.width, field.decimals);
  return std::string(text, end);
}

// Values for a field of `decimals`: random bit patterns (every exponent, NaN,
// infinities, denormals), magnitudes spread evenly over 1e-6 to 1e12, the
// doubles nearest to a rounding half (n + 1/2) / 10^decimals and a few ulps
// either side, and binary fractions with few bits, among them the exact halves
// m / 2^(decimals + 1). Either sign.
class ValueSource {
 public:
  explicit ValueSource(std::uint64_t seed) : random_(seed) {}

  double next(int decimals) {
    const std::uint64_t bits = random_();
    const double sign = (bits & 1) != 0 ? -1.0 : 1.0;
    switch ((bits >> 1) % 4) {
      case 0: {
        double value;
        const std::uint64_t pattern = random_();
        std::memcpy(&value, &pattern, sizeof value);
        return value;
      }
      case 1:
        return sign * std::pow(10.0, uniform(-6.0, 12.0));
      case 2: {
        const double scale = std::pow(10.0, decimals);
        const double n = std::floor(std::pow(10.0, uniform(0.0, 15.0)));
        double value = (n + 0.5) / scale;
        const int ulps = static_cast<int>((bits >> 8) % 7) - 3;
        for (int i = 0; i < ulps; ++i) value = std::nextafter(value, 1e300);
        for (int i = 0; i > ulps; --i) value = std::nextafter(value, 0.0);
        return sign * value;
      }
      default: {
        const int fractionBits =
            (bits >> 8) % 4 == 0 ? decimals + 1 : static_cast<int>((bits >> 10) % 60);
        const double m = static_cast<double>(random_() >> (11 + (bits >> 16) % 53));
        return sign * std::ldexp(m, -fractionBits);
      }
    }
  }

 private:
  double uniform(double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random_);
  }
  std::mt19937_64 random_;
};

}  // namespace ascent::fixed_format_check

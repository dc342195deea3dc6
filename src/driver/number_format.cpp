#include "driver/number_format.h"

#include <cmath>
#include <cstdio>

namespace ascent {

double roundHalfEven(double x) {
  // nearbyint rounds in the current mode, which the program never changes
  // from round-to-nearest-even; adding +0.0 turns -0.0 into +0.0.
  return std::nearbyint(x) + 0.0;
}

void appendFixed(std::string& out, double value, int width, int decimals) {
  // Room for the 309 integer digits of the largest double and the decimals.
  char field[400];
  int n = std::snprintf(field, sizeof field, "%*.*f", width, decimals, value + 0.0);
  out.append(field, static_cast<std::size_t>(n));
}

void appendWhole(std::string& out, double value, int width) {
  appendFixed(out, roundHalfEven(value), width, 0);
}

}  // namespace ascent

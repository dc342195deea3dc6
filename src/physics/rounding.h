// Rounding of reals to whole numbers, as the report prints them and as the
// sizing laws use them.
#pragma once

#include <cmath>

namespace ascent {

// x rounded to the nearest whole number, a value exactly halfway going to the
// even neighbour; never negative zero. nearbyint rounds in the current mode,
// which the program never changes from round-to-nearest-even; adding +0.0
// turns -0.0 into +0.0.
inline double roundHalfEven(double x) {
  return std::nearbyint(x) + 0.0;
}

}  // namespace ascent

#include "ascent/ascent.h"
#include "physics/constants.h"

namespace ascent {

double degreesFromRadians(double radians) {
  return toDegrees(radians);
}

}  // namespace ascent

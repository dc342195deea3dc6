// Drag coefficient of the vehicle as a function of Mach number alone: a table
// of stretches, each linear from its Mach number on, scaled by one factor.
#pragma once

#include <array>
#include <cstddef>

namespace ascent {

// From `mach` on (inclusive): cd - ((M - mach) * fall) / overMach.
struct DragSegment {
  double mach = 0;
  double cd = 0;
  double fall = 0;
  double overMach = 1;
};

struct DragModel {
  static constexpr std::size_t maxSegments = 16;
  std::array<DragSegment, maxSegments> segments{};
  // 1 .. maxSegments; the first stretch starts at Mach 0 and the Mach numbers
  // increase strictly.
  std::size_t count = 0;
  double scale = 1;  // multiplies the coefficient
};

// The vehicle's own coefficient: flat subsonic up to and including Mach 1, a
// step up just above it, three linear declines, constant from Mach 5.
const DragModel& standardDragModel();

double dragCoefficient(const DragModel& model, double mach);

}  // namespace ascent

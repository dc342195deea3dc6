#include "physics/drag.h"

#include <cmath>

namespace ascent {

const DragModel& standardDragModel() {
  static const DragModel model = [] {
    DragModel m;
    m.segments = {{
        {0.0, 0.4, 0.0, 1.0},
        {1.0000000000000002, 0.8, 0.0, 1.0},  // the first double above Mach 1
        {1.4, 0.8, 0.11, 0.6},
        {2.0, 0.69, 0.1, 1.0},
        {3.0, 0.59, 0.02, 1.0},
        {5.0, 0.55, 0.0, 1.0},
    }};
    m.count = 6;
    return m;
  }();
  return model;
}

double dragCoefficient(const DragModel& model, double mach) {
  // A Mach number is a speed magnitude over a positive speed of sound, so a
  // negative or NaN one never arises in flight. Both take the first stretch's
  // value, tested first with a quiet NaN check, so no later comparison sees a
  // NaN and the result stays finite. +infinity falls in the last stretch,
  // whose coefficient is flat.
  if (std::isnan(mach) || mach < 0) return model.segments[0].cd * model.scale;
  // Down from the last stretch: most of an ascent's drag is at high Mach.
  // The first stretch starts at Mach 0, so the search ends there at the latest.
  const DragSegment* segment = &model.segments[model.count - 1];
  while (mach < segment->mach) --segment;
  if (segment->fall == 0) return segment->cd * model.scale;
  return (segment->cd - ((mach - segment->mach) * segment->fall) / segment->overMach) * model.scale;
}

}  // namespace ascent

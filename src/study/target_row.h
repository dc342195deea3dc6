// One turn time targeted as a row: the sweep, the search for the optimum and
// the trades compare designs in this one form, so they agree on what a
// targeted turn time gave.
#pragma once

#include "ascent/study.h"

namespace ascent {

// The row of `turnTime_s`: its verdict, the missions its search flew, and
// its answer or closest mission when there is one.
SweepRow targetRow(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                   const TargetSettings& settings);

}  // namespace ascent

// One turn time targeted as a row: the sweep, the search for the optimum and
// the trades compare designs in this one form, so they agree on what a
// targeted turn time gave.
#pragma once

#include "ascent/study.h"
#include "ascent/trade.h"

namespace ascent {

// The row of `turnTime_s`: its verdict, the missions its search flew, and
// its answer or closest mission when there is one.
SweepRow targetRow(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                   const SearchSettings& settings);

// optimizeTurnTime without its checks of the settings and the inputs: the
// search of the trades, on vehicles changed from one already checked, where a
// vehicle that cannot be flown is a row of its own, not an error.
OptimizeResult searchOptimum(const ThrustHistory& history, const Vehicle& vehicle,
                             const OptimizeSettings& settings, unsigned jobs,
                             const Progress& progress = {});

}  // namespace ascent

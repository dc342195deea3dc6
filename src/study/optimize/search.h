// The search for the best turn time in two steps, so that a study of many
// target altitudes (performance) can run the scans of all of them on the
// thread pool together and still find, altitude by altitude, exactly what
// runOptimize finds.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "ascent/optimize.h"

namespace ascent {

// The turn times of the coarse scan: scanPoints of them evenly spaced from
// from_s to to_s (one for an empty range), each computed, not accumulated.
std::vector<double> scanTurnTimes(const OptimizeSettings& settings);

// The turn times a search is expected to target: the scan, and the
// golden-section steps that narrow two scan intervals to the tolerance.
std::size_t expectedCandidates(const OptimizeSettings& settings);

// From a finished scan (result.candidates holds the rows of `scan`, in
// order), the golden-section search around its best turn time; then the
// optimum, the flat top, the missions and whether the optimum is at an end
// of the range. Each further turn time is targeted on the calling thread and
// `targeted` is called after it.
void closeIn(OptimizeResult& result, const std::vector<double>& scan, const ThrustHistory& history,
             const Vehicle& vehicle, const OptimizeSettings& settings,
             const std::function<void()>& targeted);

// The scan, then the search: runOptimize without its checks of the settings
// and the inputs, as the trades search vehicles changed from one already
// checked, where a vehicle that cannot be flown is a row of its own, not an
// error.
OptimizeResult searchOptimum(const ThrustHistory& history, const Vehicle& vehicle,
                             const OptimizeSettings& settings, unsigned jobs,
                             const Progress& progress = {});

}  // namespace ascent

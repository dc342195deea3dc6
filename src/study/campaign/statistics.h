// Estimators of a campaign's summary that charts and texts use too.
#pragma once

#include <cstddef>
#include <span>

namespace ascent {

// The value at `percent` of sorted values, linear between order statistics.
double percentileOf(std::span<const double> sorted, double percent);

// The Wilson score interval of k successes in n trials at the normal
// quantile z (1.959963984540054 for 95 %).
void wilsonInterval(std::size_t k, std::size_t n, double z, double& low, double& high);

}  // namespace ascent

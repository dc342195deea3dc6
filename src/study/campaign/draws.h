// The numbers under a campaign's draws: the counter-based generator, the
// normal distribution and its inverse, and the Cholesky factor of a
// correlation matrix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ascent {

// A uniform number in (0, 1), never 0 or 1, from (seed, counter, key hash)
// alone: SplitMix64's finaliser over the three.
double uniformDraw(std::uint64_t seed, std::uint64_t counter, std::uint64_t keyHash);

// The standard normal distribution function and its inverse (to about the
// last bit of a double over (0, 1)).
double normalCdf(double z);
double normalQuantile(double p);

// The lower-triangular Cholesky factor L (row-major, n x n) of the symmetric
// matrix `a` with L * L^T = a; false when `a` is not positive definite, with
// `failedRow` the row where a pivot was not positive.
bool choleskyFactor(const std::vector<double>& a, std::size_t n, std::vector<double>& lower,
                    std::size_t& failedRow);

}  // namespace ascent

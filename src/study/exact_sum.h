// The sum of doubles correctly rounded: the exact sum of the values, rounded
// once. It does not depend on the order of the values, so a statistic built
// on it has the same bits for any thread count, shard or merge, and equals
// what anyone recomputes from the CSV rows with a correctly rounded sum.
#pragma once

#include <span>
#include <vector>

namespace ascent {

// Shewchuk's adaptive-precision sum (Discrete Comput. Geom. 18, 1997) with
// the final round-half-even correction, one value at a time: value() is the
// exact sum of the values added, rounded to the nearest double; not finite
// when a value is not or a partial sum overflows.
class ExactSum {
 public:
  void add(double x);
  double value() const;

 private:
  // Non-overlapping partial sums, smallest magnitude first, whose exact sum
  // is that of the finite values added.
  std::vector<double> partials_;
  double special_ = 0;  // the sum of the values that are not finite, and overflows
};

double exactSum(std::span<const double> values);

// exactSum(values) / n, the correctly rounded sum divided once; NaN for none.
double exactMean(std::span<const double> values);

}  // namespace ascent

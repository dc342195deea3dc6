#include "study/exact_sum.h"

#include <cmath>
#include <limits>

namespace ascent {

void ExactSum::add(double x) {
  if (!std::isfinite(x)) {
    special_ += x;
    return;
  }
  std::size_t kept = 0;
  for (double y : partials_) {
    if (std::fabs(x) < std::fabs(y)) std::swap(x, y);
    const double high = x + y;
    const double low = y - (high - x);
    if (low != 0) partials_[kept++] = low;
    x = high;
  }
  partials_.resize(kept);
  if (std::isfinite(x)) {
    partials_.push_back(x);
  } else {
    special_ += x;  // the partial sum overflowed
  }
}

double ExactSum::value() const {
  if (special_ != 0 || std::isnan(special_)) return special_;
  if (partials_.empty()) return 0;
  // Add the partials from the largest down until a rounding error appears;
  // the next partial then decides a tie of the rounding (half to even).
  std::size_t n = partials_.size();
  double high = partials_[--n], low = 0;
  while (n > 0) {
    const double x = high, y = partials_[--n];
    high = x + y;
    low = y - (high - x);
    if (low != 0) break;
  }
  if (n > 0 && ((low < 0 && partials_[n - 1] < 0) || (low > 0 && partials_[n - 1] > 0))) {
    const double y = low * 2, x = high + y;
    if (y == x - high) high = x;
  }
  return high;
}

double exactSum(std::span<const double> values) {
  ExactSum sum;
  for (double x : values) sum.add(x);
  return sum.value();
}

double exactMean(std::span<const double> values) {
  if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
  return exactSum(values) / static_cast<double>(values.size());
}

}  // namespace ascent

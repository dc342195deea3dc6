// The estimators of a sensitivity study (study/sensitivity/estimators.h).
#include "study/sensitivity/estimators.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ascent/errors.h"
#include "study/campaign/draws.h"
#include "study/exact_sum.h"

namespace ascent {

namespace {

// The 0.975 quantile of the standard normal distribution.
constexpr double z975 = 1.959963984540054;

// A row's terms of the bootstrap's sums, in pairs that one instruction adds
// (the same additions as one at a time, so the same bits): {b d, d d},
// {a a + b b, a + b}, {d, 1}; all zero for a row that is not used.
using Pair [[gnu::vector_size(16)]] = double;
struct Terms {
  Pair v[3];
};

void add(const Terms& x, Terms& sum) {
  sum.v[0] += x.v[0];
  sum.v[1] += x.v[1];
  sum.v[2] += x.v[2];
}

// The (j + 1)-th smallest and largest of the finite values, j = floor(0.025 n):
// the 95 % percentile interval; the point value when there are none.
void percentileInterval(std::vector<double>& values, IntervalEstimate& estimate) {
  std::erase_if(values, [](double v) { return !std::isfinite(v); });
  if (values.empty()) {
    estimate.low = estimate.high = estimate.value;
    return;
  }
  const std::size_t j = values.size() / 40;
  std::nth_element(values.begin(), values.begin() + j, values.end());
  estimate.low = values[j];
  const auto high = values.end() - 1 - j;
  std::nth_element(values.begin(), high, values.end());
  estimate.high = *high;
}

// One resample's indices, recomputed on its n* used rows centred on their
// own mean m*: with e = m* - m, its sums are P* = P - e sum(d) and
// Q* = Q - e sum(a + b), those of the terms centred on m corrected. NaN for
// a resample without them.
void resampledIndices(const std::vector<Terms>& rows, std::span<const std::uint32_t> drawn,
                      double& first, double& total) {
  // Two interleaved sums (even and odd k) halve the chain of dependent adds.
  Terms sum{}, odd{};
  std::size_t k = 0;
  for (; k + 1 < drawn.size(); k += 2) {
    add(rows[drawn[k]], sum);
    add(rows[drawn[k + 1]], odd);
  }
  if (k < drawn.size()) add(rows[drawn[k]], sum);
  add(odd, sum);
  first = total = NAN;
  const double used = sum.v[2][1];
  if (used < 2) return;
  const double shift = sum.v[1][1] / (2 * used);
  const double q = sum.v[1][0] - shift * sum.v[1][1];
  const double p = sum.v[0][0] - shift * sum.v[2][0];
  if (!(q > 0)) return;
  first = 2 * p / q;
  total = sum.v[0][1] / q;
}

bool used(const SaltelliColumns& c, std::size_t j) {
  return std::isfinite(c.a[j]) && std::isfinite(c.b[j]) && std::isfinite(c.abi[j]);
}

// The point indices of one factor for one output, and the mean its terms
// are centred on.
SobolIndices pointIndices(const SaltelliColumns& c, double& mean) {
  SobolIndices result;
  ExactSum sum;
  for (std::size_t j = 0; j < c.a.size(); ++j) {
    if (!used(c, j)) continue;
    sum.add(c.a[j]);
    sum.add(c.b[j]);
    ++result.tuples;
  }
  result.leftOut = c.a.size() - result.tuples;
  if (result.tuples < 2) return result;
  mean = sum.value() / static_cast<double>(2 * result.tuples);
  ExactSum q, p, t;
  for (std::size_t j = 0; j < c.a.size(); ++j) {
    if (!used(c, j)) continue;
    const double a = c.a[j] - mean, b = c.b[j] - mean, d = c.abi[j] - c.a[j];
    q.add(a * a);
    q.add(b * b);
    p.add(b * d);
    t.add(d * d);
  }
  const double variance = q.value(), first = p.value(), total = t.value();
  if (!(variance > 0 && std::isfinite(variance + first + total))) return result;
  result.first = IntervalEstimate{2 * first / variance, 0, 0};
  result.total = IntervalEstimate{total / variance, 0, 0};
  return result;
}

// A row's terms of the bootstrap's sums; all zero for a row not used.
void termsOf(const SaltelliColumns& c, double mean, std::vector<Terms>& rows) {
  rows.assign(c.a.size(), Terms{});
  for (std::size_t j = 0; j < c.a.size(); ++j) {
    if (!used(c, j)) continue;
    const double a = c.a[j] - mean, b = c.b[j] - mean, d = c.abi[j] - c.a[j];
    rows[j] = Terms{{Pair{b * d, d * d}, Pair{a * a + b * b, a + b}, Pair{d, 1}}};
  }
}

// The average ranks, 1 to n, of `values`.
std::vector<double> averageRanks(const std::vector<double>& values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(),
            [&](std::size_t i, std::size_t j) { return values[i] < values[j]; });
  std::vector<double> ranks(values.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t end = i + 1;
    while (end < order.size() && values[order[end]] == values[order[i]]) ++end;
    const double rank = static_cast<double>(i + 1 + end) / 2;
    for (std::size_t k = i; k < end; ++k) ranks[order[k]] = rank;
    i = end;
  }
  return ranks;
}

}  // namespace

SaltelliRun saltelliRun(std::size_t run, std::size_t rows, std::size_t factors) {
  if (rows == 0 || run / rows >= factors + 2) {
    throw InputError({"a run beyond the Saltelli design"});
  }
  const std::size_t block = run / rows;
  SaltelliRun result;
  result.row = run % rows;
  result.matrix = block == 0   ? SaltelliMatrix::A
                  : block == 1 ? SaltelliMatrix::B
                               : SaltelliMatrix::AB;
  result.factor = block < 2 ? 0 : block - 2;
  return result;
}

SaltelliColumns saltelliColumns(std::span<const double> column, std::size_t factors,
                                std::size_t factor) {
  const std::size_t rows = column.size() / (factors + 2);
  if (rows == 0 || rows * (factors + 2) != column.size() || factor >= factors) {
    throw InputError({"a column that is not one of the Saltelli design"});
  }
  return {column.first(rows), column.subspan(rows, rows),
          column.subspan((2 + factor) * rows, rows)};
}

bool takesFromB(const SaltelliRun& run, std::size_t factor) {
  return run.matrix == SaltelliMatrix::B ||
         (run.matrix == SaltelliMatrix::AB && run.factor == factor);
}

BootstrapResamples::BootstrapResamples(std::uint64_t seed, std::size_t rows, std::size_t count)
    : seed_(seed), rows_(rows), count_(count) {
  if (rows == 0 || count == 0) throw InputError({"a bootstrap needs rows and resamples"});
  if (rows > (std::uint64_t{1} << 32)) throw InputError({"too many rows to resample"});
}

void BootstrapResamples::draw(std::size_t first, std::size_t n,
                              std::vector<std::uint32_t>& drawn) const {
  drawn.resize(n * rows_);
  for (std::size_t b = 0; b < n; ++b) {
    for (std::size_t k = 0; k < rows_; ++k) {
      // u has 53 bits below the point: u 2^32 is exact, its floor below 2^32.
      const auto fraction = static_cast<std::uint64_t>(uniformDraw(seed_, first + b, k) * 0x1p32);
      drawn[b * rows_ + k] = static_cast<std::uint32_t>((fraction * rows_) >> 32);
    }
  }
}

std::vector<SobolIndices> sobolIndices(std::span<const SaltelliColumns> columns,
                                       const BootstrapResamples& resamples) {
  const std::size_t n = resamples.rows(), count = resamples.count();
  std::vector<SobolIndices> results;
  std::vector<double> means(columns.size());
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const SaltelliColumns& s = columns[c];
    if (s.a.size() != n || s.b.size() != n || s.abi.size() != n) {
      throw InputError({"the columns of a Sobol index differ from the design's rows"});
    }
    results.push_back(pointIndices(s, means[c]));
  }
  // Each block of resamples serves every column before the next is drawn.
  std::vector<std::vector<double>> firsts(columns.size()), totals(columns.size());
  std::vector<std::uint32_t> drawn;
  std::vector<Terms> rows;
  for (std::size_t first = 0; first < count; first += BootstrapResamples::block) {
    const std::size_t blockSize = std::min(BootstrapResamples::block, count - first);
    resamples.draw(first, blockSize, drawn);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (!results[c].first) continue;
      termsOf(columns[c], means[c], rows);
      firsts[c].resize(first + blockSize);
      totals[c].resize(first + blockSize);
      for (std::size_t b = 0; b < blockSize; ++b) {
        resampledIndices(rows, std::span<const std::uint32_t>(drawn).subspan(b * n, n),
                         firsts[c][first + b], totals[c][first + b]);
      }
    }
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (!results[c].first) continue;
    percentileInterval(firsts[c], *results[c].first);
    percentileInterval(totals[c], *results[c].total);
  }
  return results;
}

RankCorrelation spearman(std::span<const double> x, std::span<const double> y) {
  if (x.size() != y.size()) throw InputError({"the columns differ in length"});
  std::vector<double> xs, ys;
  for (std::size_t j = 0; j < x.size(); ++j) {
    if (std::isnan(x[j]) || std::isnan(y[j])) continue;
    xs.push_back(x[j]);
    ys.push_back(y[j]);
  }
  RankCorrelation result;
  result.pairs = xs.size();
  result.leftOut = x.size() - xs.size();
  if (xs.size() < 4) return result;

  const std::vector<double> rx = averageRanks(xs), ry = averageRanks(ys);
  const double meanRank = static_cast<double>(xs.size() + 1) / 2;
  ExactSum sxy, sxx, syy;
  for (std::size_t j = 0; j < rx.size(); ++j) {
    const double dx = rx[j] - meanRank, dy = ry[j] - meanRank;
    sxy.add(dx * dy);
    sxx.add(dx * dx);
    syy.add(dy * dy);
  }
  if (!(sxx.value() > 0 && syy.value() > 0)) return result;
  const double rho = std::clamp(sxy.value() / std::sqrt(sxx.value() * syy.value()), -1.0, 1.0);
  const double z = std::atanh(rho);
  const double halfWidth = z975 * std::sqrt(1.06 / static_cast<double>(xs.size() - 3));
  result.rho = IntervalEstimate{rho, std::tanh(z - halfWidth), std::tanh(z + halfWidth)};
  return result;
}

}  // namespace ascent

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>
#include <vector>

#include "study/campaign/draws.h"
#include "study/sensitivity/estimators.h"

namespace ascent {
namespace {

using Model = std::function<double(const std::vector<double>&)>;
using Damage = std::function<void(std::vector<double>&)>;
const Model linear = [](const auto& x) { return 2e5 + 1e3 * x[0] + 2e3 * x[1] + 3e3 * x[2]; };

// Factor i's indices from one output of every run of a Saltelli design of
// three factors uniform on [-pi, pi] (row j of A from draw j, of B from draw
// rows + j), the output's column damaged first.
SobolIndices estimate(std::size_t rows, std::size_t i, const Model& f, std::uint64_t seed,
                      const Damage& damage = {}) {
  std::vector<double> column, x(3);
  for (std::size_t r = 0; r < rows * 5; ++r) {
    const SaltelliRun run = saltelliRun(r, rows, 3);
    for (std::size_t k = 0; k < 3; ++k) {
      x[k] = std::numbers::pi * (2 * uniformDraw(7, run.row + takesFromB(run, k) * rows, k) - 1);
    }
    column.push_back(f(x));
  }
  if (damage) damage(column);
  return sobolIndices(saltelliColumns(column, 3, i), BootstrapResamples(seed, column.size() / 5));
}

// Ishigami & Homma (1990), a = 7, b = 0.1; a linear model on a large mean,
// S_i = ST_i = c_i^2 / sum c_j^2 for factors of equal spread.
TEST(SobolIndices, MatchClosedFormsWithinTheirIntervals) {
  const Model ishigami = [](const auto& x) {
    return std::sin(x[0]) * (1 + 0.1 * std::pow(x[2], 4)) + 7 * std::pow(std::sin(x[1]), 2);
  };
  const std::tuple<const Model&, std::size_t, std::size_t, double, double> cases[] = {
      {ishigami, 8192, 0, 0.31390519114781146, 0.5575888552099592},
      {ishigami, 8192, 1, 0.4424111447900409, 0.4424111447900409},
      {ishigami, 8192, 2, 0, 0.2436836640621477},
      {linear, 2048, 0, 1 / 14., 1 / 14.},
      {linear, 2048, 1, 4 / 14., 4 / 14.},
      {linear, 2048, 2, 9 / 14., 9 / 14.}};
  for (const auto& [f, rows, factor, first, total] : cases) {
    SCOPED_TRACE(testing::Message() << rows << " rows, factor " << factor);
    const SobolIndices s = estimate(rows, factor, f, 11);
    ASSERT_TRUE(s.first && s.total);
    for (const auto& [index, exact] : {std::pair{*s.first, first}, {*s.total, total}}) {
      EXPECT_TRUE(index.low <= exact && exact <= index.high && index.high - index.low < 0.12);
      EXPECT_NEAR(index.value, exact, 0.05);
    }
  }
}

// Rows without a value are left out and counted, and change nothing else in
// the point values; the same seed gives the same bits, another moves the
// interval alone. One row with a value, or a constant output, give no index.
TEST(SobolIndices, LeaveOutRowsWithoutAValueAndAreDeterministic) {
  const Damage gaps = [](auto& c) { c[0] = c[65] = NAN, c[130] = INFINITY; };
  const Damage cut = [](auto& c) {
    for (int b = 4; b >= 0; --b) c.erase(c.begin() + 64 * b, c.begin() + 64 * b + 3);
  };
  const auto bits = [](const SobolIndices& s) {
    return std::array{s.first->value, s.first->low, s.first->high,
                      s.total->value, s.total->low, s.total->high};
  };
  const SobolIndices s = estimate(64, 0, linear, 5, gaps);
  const auto other = bits(estimate(64, 0, linear, 6, gaps)),
             cutOut = bits(estimate(64, 0, linear, 5, cut));
  EXPECT_TRUE(s.tuples == 61 && s.leftOut == 3);
  EXPECT_EQ(bits(s), bits(estimate(64, 0, linear, 5, gaps)));
  EXPECT_NE(bits(s), other);
  EXPECT_TRUE(bits(s)[0] == other[0] && bits(s)[3] == other[3]);
  EXPECT_TRUE(bits(s)[0] == cutOut[0] && bits(s)[3] == cutOut[3]);
  const Damage constant = [](auto& c) { c.assign(320, 2e5); };
  const Damage single = [](auto& c) { c.assign(320, NAN), c[0] = c[64] = c[128] = 1; };
  for (const auto& [damage, tuples] : {std::pair{constant, 64u}, {single, 1u}}) {
    const SobolIndices none = estimate(64, 0, linear, 5, damage);
    EXPECT_TRUE(none.tuples == tuples && !none.first && !none.total);
  }
}

TEST(Spearman, RanksTiesByTheirAverageAndLeavesOutNaN) {
  const std::vector<double> x = {0.1, 0.5, 1, 2, 3, 10}, ties = {1, 2, 2, 3, 4, NAN};
  // x, y, pairs used, rho and its interval (NaN: no value).
  const std::tuple<std::vector<double>, std::vector<double>, std::size_t, double, double, double>
      cases[] = {
          // Ranks 1, 2.5, 2.5, 4, 5 and 2, 1, 4, 3, 5: rho = 6.5 / sqrt(9.5 * 10).
          {ties, {2, 1, 4, 3, 5, 7}, 5, 0.6668859288554, -0.5523533562293, 0.9772293207768},
          {x, {1.1, 1.6, 2.7, 7.4, 20, 2e4}, 6, 1, 1, 1},
          {x, {-1e-3, -0.125, -1, -8, -27, -1e3}, 6, -1, -1, -1},
          {x, std::vector<double>(6, 4), 6, NAN, NAN, NAN},
          {{1, 2, 3, NAN}, {1, 2, 3, 4}, 3, NAN, NAN, NAN},
      };
  for (const auto& [xs, ys, pairs, rho, low, high] : cases) {
    const RankCorrelation r = spearman(xs, ys);
    EXPECT_TRUE(r.pairs == pairs && r.leftOut == xs.size() - pairs);
    ASSERT_EQ(r.rho.has_value(), !std::isnan(rho));
    if (!r.rho) continue;
    EXPECT_NEAR(r.rho->value, rho, 1e-12);
    EXPECT_NEAR(r.rho->low, low, 1e-12);
    EXPECT_NEAR(r.rho->high, high, 1e-12);
  }
}

}  // namespace
}  // namespace ascent

// Requirements verified by order statistics, against the classic values of
// Monte Carlo practice and the binomial distribution computed directly.
#include "ascent/requirements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ascent/grammar.h"

namespace ascent {
namespace {

// P(Binomial(n, q) >= m), summed term by term in long double.
long double binomialTail(std::size_t n, double q, std::size_t m) {
  long double below = 0, term = std::pow(1.0L - q, static_cast<long double>(n));
  for (std::size_t k = 0; k < m; ++k) {
    below += term;
    term *= static_cast<long double>(n - k) / static_cast<long double>(k + 1) * q / (1.0L - q);
  }
  return 1 - below;
}

TEST(OrderStatistics, TheClassicRunCountsAreNeeded) {
  EXPECT_EQ(runsNeeded(0.95, 0.95), 59u);
  EXPECT_EQ(runsNeeded(0.99865, 0.90), 1705u);
  EXPECT_EQ(runsNeeded(0.99, 0.99), 459u);
  EXPECT_EQ(orderStatisticRank(58, 0.95, 0.95), 0u);
  EXPECT_EQ(orderStatisticRank(59, 0.95, 0.95), 1u);
  EXPECT_EQ(orderStatisticRank(1704, 0.99865, 0.90), 0u);
  EXPECT_EQ(orderStatisticRank(1705, 0.99865, 0.90), 1u);
}

TEST(OrderStatistics, TheRankIsTheLargestThatKeepsTheConfidence) {
  for (std::size_t n : {100u, 1000u, 5000u, 100000u}) {
    for (double p : {0.9, 0.99, 0.99865}) {
      const std::size_t m = orderStatisticRank(n, p, 0.9);
      if (m == 0) {
        EXPECT_LT(binomialTail(n, 1 - p, 1), 0.9L) << n << " " << p;
        continue;
      }
      EXPECT_GE(binomialTail(n, 1 - p, m), 0.9L - 1e-12L) << n << " " << p;
      EXPECT_LT(binomialTail(n, 1 - p, m + 1), 0.9L + 1e-12L) << n << " " << p;
    }
  }
}

// P(Binomial(n, q) >= m) summed from the top, q = 1 - p taken from p
// without rounding it: exact enough where 1 - C rounds to 1.
long double upperTail(std::size_t n, double p, std::size_t m) {
  long double tail = 0;
  for (std::size_t k = n; k >= m && k >= 1; --k) {
    long double term =
        std::exp(std::lgamma(static_cast<long double>(n) + 1) -
                 std::lgamma(static_cast<long double>(k) + 1) -
                 std::lgamma(static_cast<long double>(n - k) + 1) +
                 static_cast<long double>(k) * std::log1p(-static_cast<long double>(p)) +
                 static_cast<long double>(n - k) * std::log(static_cast<long double>(p)));
    tail += term;
  }
  return tail;
}

// At the edges of the domain (1 - P or 1 - C rounding to 1) the rank stays
// exact and at most N, and a campaign whose runs all fail is never met.
TEST(OrderStatistics, TheRankIsExactAtTheEdgesOfTheDomain) {
  const struct {
    std::size_t n;
    double p, c;
  } cases[] = {{20, 1e-20, 0.9},   {20, 5e-17, 0.5},  {20, 0.9, 1e-15},     {20, 0.5, 1e-300},
               {1705, 0.9, 3e-13}, {1705, 0.9, 0.49}, {1705, 0.99865, 0.9}, {100, 1e-300, 0.999}};
  for (const auto& c : cases) {
    const std::size_t m = orderStatisticRank(c.n, c.p, c.c);
    ASSERT_LE(m, c.n) << c.n << " " << c.p << " " << c.c;
    ASSERT_GE(m, 1u) << c.n << " " << c.p << " " << c.c;
    EXPECT_GE(upperTail(c.n, c.p, m), c.c * (1 - 1e-9L)) << c.n << " " << c.p << " " << c.c;
    if (m < c.n) {
      EXPECT_LT(upperTail(c.n, c.p, m + 1), c.c * (1 + 1e-9L)) << c.n << " " << c.p << " " << c.c;
    }
    std::vector<double> allFail(c.n, std::numeric_limits<double>::quiet_NaN());
    const RequirementResult r =
        verifyRequirement(parseRequirement("SC_M_kg>=1"), allFail, c.p, c.c);
    EXPECT_EQ(r.verdict, RequirementVerdict::NotMet) << c.n << " " << c.p << " " << c.c;
  }
}

TEST(Requirements, VerdictsBoundsAndFailures) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // 100 runs 1..100 at P = 0.95, C = 0.5: m = 5, so the 5th smallest (5) or
  // the 5th largest (96) is the bound.
  std::vector<double> ramp;
  for (int i = 1; i <= 100; ++i) ramp.push_back(i);
  struct Case {
    const char* text;
    std::vector<double> values;
    double probability, confidence;
    RequirementVerdict verdict;
    std::optional<double> bound;
    std::size_t failures;
  };
  std::vector<double> withFailedRuns = ramp;
  for (int i = 0; i < 5; ++i) withFailedRuns[static_cast<std::size_t>(i)] = nan;
  const Case cases[] = {
      {"SC_M_kg>=5", ramp, 0.95, 0.5, RequirementVerdict::Met, 5.0, 4},
      {"SC_M_kg>=6", ramp, 0.95, 0.5, RequirementVerdict::NotMet, 5.0, 5},
      {"perigee_m<=96", ramp, 0.95, 0.5, RequirementVerdict::Met, 96.0, 4},
      {"perigee_m<=95.5", ramp, 0.95, 0.5, RequirementVerdict::NotMet, 96.0, 5},
      {"SC_M_kg>=1", withFailedRuns, 0.95, 0.5, RequirementVerdict::NotMet, std::nullopt, 5},
      {"SC_M_kg>=1", ramp, 0.99865, 0.9, RequirementVerdict::TooFewRuns, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    std::vector<double> values = c.values;
    const RequirementResult r =
        verifyRequirement(parseRequirement(c.text), values, c.probability, c.confidence);
    EXPECT_EQ(r.verdict, c.verdict) << c.text;
    EXPECT_EQ(r.bound, c.bound) << c.text;
    EXPECT_EQ(r.failures, c.failures) << c.text;
    EXPECT_EQ(r.runs, c.values.size());
  }
}

}  // namespace
}  // namespace ascent

// The order statistic that verifies a requirement: the run counts of Monte
// Carlo practice, and the rank against the binomial distribution computed
// directly.
#include "ascent/requirements.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace ascent

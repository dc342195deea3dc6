#include "study/exact_sum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace ascent {
namespace {

// Sums a naive loop gets wrong, with the correctly rounded answers.
TEST(ExactSum, IsTheExactSumRoundedOnce) {
  const struct {
    std::vector<double> values;
    double sum;
  } cases[] = {
      {std::vector<double>(10, 0.1), 1.0},  // a loop gives 0.9999999999999999
      {{1e100, 1.0, -1e100}, 1.0},          // a loop gives 0
      {{1.0, 1e-16, 1e-16}, 0x1.0000000000001p+0},
      {{0x1p53, 1.0, 0x1p-52}, 0x1.0000000000001p+53},  // the tie goes up, past it
      {{0x1p53, 1.0}, 0x1p53},                          // a tie rounds to even
      {{}, 0.0},
      {{1e308, 1e308}, INFINITY},
      {{1.0, NAN}, NAN},
  };
  for (const auto& c : cases) {
    const double sum = exactSum(c.values);
    if (std::isnan(c.sum)) {
      EXPECT_TRUE(std::isnan(sum));
    } else {
      EXPECT_EQ(sum, c.sum) << c.values.size() << " values";
    }
  }
}

TEST(ExactSum, DoesNotDependOnTheOrder) {
  std::mt19937_64 random(3);
  std::normal_distribution<double> mass_kg(122000, 1200);
  std::vector<double> values(1000);
  for (double& v : values) v = mass_kg(random);
  const double sum = exactSum(values);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(exactSum(values), sum);
  std::reverse(values.begin(), values.end());
  EXPECT_EQ(exactSum(values), sum);
  EXPECT_EQ(exactMean(values), sum / 1000);
  EXPECT_TRUE(std::isnan(exactMean({})));
}

}  // namespace
}  // namespace ascent

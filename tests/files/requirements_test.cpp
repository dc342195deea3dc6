// Requirements written as "OUTPUT>=VALUE" or "OUTPUT<=VALUE", read by the
// grammar and verified by order statistics: at the edges of the domain,
// against runs of known values, and over a campaign's summary.
#include "ascent/requirements.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/grammar.h"
#include "study/known_campaign.h"

namespace ascent {
namespace {

using testing::summaryOfKnownRuns;

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

TEST(CampaignSummary, RequirementsAndTheReserveTakeEveryRunThatIsNotASuccessAsFailing) {
  // At 90 % with 50 % confidence m = 10 of 100 runs: met with at most 9
  // failures, the bound the 10th value from the failing side. Seven runs are
  // not a success with no reserve, seventeen with 100 kg. The margin is the
  // m-th lowest propellant, the five runs without an orbit lowest.
  const std::optional<double> none;
  const struct {
    double reserve_kg, probability, confidence;
    const char* requirement;
    RequirementVerdict verdict;
    std::optional<double> bound;
    std::size_t failures;
    std::optional<double> margin_kg;
  } cases[] = {
      {0, 0.9, 0.5, "perigee_m>=103000", RequirementVerdict::Met, 105e3, 7, 25},
      {0, 0.9, 0.5, "perigee_m>=106000", RequirementVerdict::NotMet, 105e3, 10, 25},
      {0, 0.9, 0.5, "max_dynamic_pressure_Pa<=29960", RequirementVerdict::Met, 29950, 8, 25},
      {100, 0.9, 0.5, "perigee_m>=103000", RequirementVerdict::NotMet, none, 17, 25},
      {0, 0.93, 0.5, "perigee_m>=103000", RequirementVerdict::NotMet, none, 7, -5},    // m = 7
      {0, 0.95, 0.5, "perigee_m>=103000", RequirementVerdict::NotMet, none, 7, none},  // m = 5
      {0, 0.99865, 0.9, "perigee_m>=103000", RequirementVerdict::TooFewRuns, none, 7, none},
  };
  for (const auto& c : cases) {
    CampaignSettings settings;
    settings.minRemainingPropellant_kg = c.reserve_kg;
    settings.probability = c.probability;
    settings.confidence = c.confidence;
    settings.requirements = {parseRequirement(c.requirement)};
    const CampaignSummary s = summaryOfKnownRuns(settings);
    ASSERT_EQ(s.requirements.size(), 1u);
    const RequirementResult& r = s.requirements.front();
    const std::string name = c.requirement + (" at " + std::to_string(c.probability));
    EXPECT_EQ(r.verdict, c.verdict) << name;
    EXPECT_EQ(r.bound, c.bound) << name;
    EXPECT_EQ(r.failures, c.failures) << name;
    EXPECT_EQ(s.flightPerformanceReserve.margin_kg, c.margin_kg) << name;
    EXPECT_EQ(s.flightPerformanceReserve.flightPerformanceReserve_kg,
              c.margin_kg ? std::optional(std::max(0.0, -*c.margin_kg)) : none)
        << name;
  }
}

}  // namespace
}  // namespace ascent

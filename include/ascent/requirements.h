// Requirements verified by order statistics, the way launch-vehicle Monte
// Carlo campaigns state them: "OUTPUT >= VALUE in at least P of the flights,
// with confidence C" (for example P = 99.865 %, one-sided 3 sigma, at
// C = 90 %).
//
// Over N runs the number of runs that fall on the wrong side of the true
// P-quantile is Binomial(N, 1 - P). The m-th smallest value is a lower bound
// of that quantile with confidence C when P(Binomial(N, 1 - P) >= m) >= C;
// the largest such m gives the tightest bound. The requirement is met when
// that bound satisfies it, which is the same as fewer than m runs failing
// it. With no such m even for m = 1 (1 - P^N < C) there are too few runs:
// N must reach ln(1 - C) / ln(P), 59 runs for 95 % at 95 %, 1705 for
// 99.865 % at 90 %.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/schema.h"

namespace ascent {

// The default probability (one-sided 3 sigma) and confidence.
constexpr double defaultRequirementProbability = 0.99865;
constexpr double defaultRequirementConfidence = 0.90;

// The largest m <= runs with P(Binomial(runs, 1 - probability) >= m) >=
// confidence, exact over the whole domain (0 < probability, confidence <
// 1); 0 when even m = 1 does not reach it.
std::size_t orderStatisticRank(std::size_t runs, double probability, double confidence);
// The fewest runs, all of them passing, that verify a requirement: the
// smallest N with 1 - probability^N >= confidence.
std::size_t runsNeeded(double probability, double confidence);

// "OUTPUT>=VALUE" or "OUTPUT<=VALUE" (ascent/grammar.h reads the text).
struct Requirement {
  std::string text;     // as given
  std::string output;   // a column name
  bool atLeast = true;  // >=; false: <=
  double value = 0;
};

enum class RequirementVerdict { Met, NotMet, TooFewRuns };
// "met", "not_met", "too_few_runs".
std::string_view requirementVerdictName(RequirementVerdict verdict);

// What a run was, as a requirement's failures are told apart.
enum class RunStatus : char {
  Success,          // counts by its value
  OrbitNotSuccess,  // an orbit that is not a success (short of propellant, off target)
  NoOrbit,
};

struct RequirementResult {
  std::string requirement;  // the text as given
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::size_t runs = 0;
  // Runs failing it: successes on the wrong side of the value, and runs
  // that are not a success (of which notSuccessOrbits reached orbit).
  std::size_t failures = 0;
  std::size_t failuresBeyondValue = 0;
  std::size_t failuresNotSuccess = 0;
  std::size_t notSuccessOrbits = 0;
  std::size_t order = 0;        // m; 0 when there are too few runs
  std::optional<double> bound;  // the m-th smallest (>=) or largest (<=) value, when finite
  RequirementVerdict verdict = RequirementVerdict::TooFewRuns;
  std::size_t runsNeeded = 0;
  // The output's own bound at the same probability and confidence over the
  // orbits alone (every run with a value, success or not): readable even
  // when the requirement is not met.
  std::size_t orbits = 0;
  std::size_t orbitOrder = 0;
  std::optional<double> orbitBound;
};

// Verifies `requirement` on each run's output (NaN without an orbit) and
// status: a run that is not a success counts as failing (-inf for >=,
// +inf for <=). `values` is reordered (a partial sort).
RequirementResult verifyRequirement(const Requirement& requirement, std::vector<double>& values,
                                    std::span<const RunStatus> status, double probability,
                                    double confidence);
// The same where a run holding NaN is no orbit and every other a success.
RequirementResult verifyRequirement(const Requirement& requirement, std::vector<double>& values,
                                    double probability, double confidence);

// requirement, probability, confidence, runs, failures,
// failures_beyond_value, failures_not_success, not_success_orbits, order,
// bound (null when none or infinite), verdict, runs_needed, orbits,
// orbit_order, orbit_bound.
Schema<RequirementResult> requirementSchema();

}  // namespace ascent

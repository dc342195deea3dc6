// Requirements verified by order statistics (ascent/requirements.h).
#include "ascent/requirements.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ascent {

std::size_t orderStatisticRank(std::size_t runs, double probability, double confidence) {
  // Failures X ~ Binomial(N, q), q = 1 - P; m is the largest with
  // P(X >= m) >= C. Both logarithms come from P itself: 1 - P rounds to 1
  // for P below 2^-54, and to 0 near 1.
  if (runs == 0 || !(probability > 0 && probability < 1) || !(confidence > 0 && confidence < 1)) {
    return 0;
  }
  const double n = static_cast<double>(runs);
  const double logQ = std::log1p(-probability), logP = std::log(probability);
  const double logAll = std::lgamma(n + 1);
  auto term = [&](std::size_t k) {
    const double kk = static_cast<double>(k);
    return std::exp(static_cast<long double>(
        logAll - std::lgamma(kk + 1) - std::lgamma(n - kk + 1) + kk * logQ + (n - kk) * logP));
  };
  if (confidence >= 0.5) {
    // P(X >= m) >= C  <=>  P(X <= m - 1) <= 1 - C, and 1 - C is exact for
    // C >= 1/2: accumulate the distribution function from k = 0 until it
    // passes 1 - C; it does by k = N, where it is 1.
    const double allowed = 1 - confidence;
    long double cdf = 0;
    for (std::size_t k = 0; k < runs; ++k) {
      cdf += term(k);
      if (cdf > allowed) return k;
    }
    return runs;
  }
  // A small C cannot be told from 1 - C: sum the upper tail from k = N down
  // to the first m whose tail reaches C.
  long double tail = 0;
  for (std::size_t m = runs; m >= 1; --m) {
    tail += term(m);
    if (tail >= confidence) return m;
  }
  return 0;
}

std::size_t runsNeeded(double probability, double confidence) {
  if (!(probability > 0 && probability < 1) || !(confidence > 0 && confidence < 1)) return 0;
  std::size_t n =
      static_cast<std::size_t>(std::ceil(std::log1p(-confidence) / std::log(probability)));
  // The logarithms may land a hair on either side of a whole number.
  while (n > 1 && 1 - std::pow(probability, static_cast<double>(n - 1)) >= confidence) --n;
  while (1 - std::pow(probability, static_cast<double>(n)) < confidence) ++n;
  return n;
}

std::string_view requirementVerdictName(RequirementVerdict verdict) {
  switch (verdict) {
    case RequirementVerdict::Met:
      return "met";
    case RequirementVerdict::NotMet:
      return "not_met";
    case RequirementVerdict::TooFewRuns:
      break;
  }
  return "too_few_runs";
}

namespace {

// The m-th smallest of the values oriented to read "at least" (sign -1 for
// <=), none when it is not finite; `oriented` is reordered.
std::optional<double> orderBound(std::vector<double>& oriented, std::size_t m, double sign) {
  if (m == 0 || m > oriented.size()) return std::nullopt;
  const auto mth = oriented.begin() + static_cast<std::ptrdiff_t>(m - 1);
  std::nth_element(oriented.begin(), mth, oriented.end());
  if (!std::isfinite(*mth)) return std::nullopt;
  return sign * *mth;
}

}  // namespace

RequirementResult verifyRequirement(const Requirement& requirement, std::vector<double>& values,
                                    std::span<const RunStatus> status, double probability,
                                    double confidence) {
  RequirementResult result;
  result.requirement = requirement.text;
  result.probability = probability;
  result.confidence = confidence;
  result.runs = values.size();
  result.runsNeeded = runsNeeded(probability, confidence);
  // Orient every value so that the requirement reads "at least": the m-th
  // smallest oriented value is the bound.
  const double sign = requirement.atLeast ? 1 : -1;
  constexpr double lowest = -std::numeric_limits<double>::infinity();
  std::vector<double> orbits;
  for (std::size_t i = 0; i < values.size(); ++i) {
    double& v = values[i];
    if (status[i] != RunStatus::NoOrbit && std::isfinite(v)) orbits.push_back(sign * v);
    if (status[i] != RunStatus::Success || std::isnan(v)) {
      ++result.failuresNotSuccess;
      result.notSuccessOrbits += status[i] == RunStatus::OrbitNotSuccess;
      v = lowest;
      continue;
    }
    v = sign * v;
    result.failuresBeyondValue += v < sign * requirement.value;
  }
  result.failures = result.failuresBeyondValue + result.failuresNotSuccess;
  result.orbits = orbits.size();
  result.orbitOrder = orderStatisticRank(orbits.size(), probability, confidence);
  result.orbitBound = orderBound(orbits, result.orbitOrder, sign);
  result.order = orderStatisticRank(values.size(), probability, confidence);
  if (result.order == 0) return result;
  result.bound = orderBound(values, result.order, sign);
  result.verdict =
      result.failures < result.order ? RequirementVerdict::Met : RequirementVerdict::NotMet;
  return result;
}

RequirementResult verifyRequirement(const Requirement& requirement, std::vector<double>& values,
                                    double probability, double confidence) {
  std::vector<RunStatus> status(values.size(), RunStatus::Success);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (std::isnan(values[i])) status[i] = RunStatus::NoOrbit;
  }
  return verifyRequirement(requirement, values, status, probability, confidence);
}

namespace {

using R = RequirementResult;
using T = FieldType;

// clang-format off
constexpr Field<R> requirementFields[] = {
    {{"requirement", "", T::Text, "", "OUTPUT>=VALUE or OUTPUT<=VALUE, as given"},
     [](const R& r) { return Value(r.requirement); }},
    {{"probability", "", T::Real, "", "the share of runs it must hold in (asked)"},
     [](const R& r) { return Value(r.probability); }},
    {{"confidence", "", T::Real, "", "the confidence asked"},
     [](const R& r) { return Value(r.confidence); }},
    {{"runs", "", T::Integer, "", "runs verified"}, [](const R& r) { return Value(r.runs); }},
    {{"failures", "", T::Integer, "",
      "runs failing it: failures_beyond_value + failures_not_success"},
     [](const R& r) { return Value(r.failures); }},
    {{"failures_beyond_value", "", T::Integer, "", "successes on the wrong side of the value"},
     [](const R& r) { return Value(r.failuresBeyondValue); }},
    {{"failures_not_success", "", T::Integer, "", "runs that were not a success"},
     [](const R& r) { return Value(r.failuresNotSuccess); }},
    {{"not_success_orbits", "", T::Integer, "", "of those, the runs that reached orbit"},
     [](const R& r) { return Value(r.notSuccessOrbits); }},
    {{"order", "", T::Integer, "", "m of the order-statistic bound; 0 for too few runs"},
     [](const R& r) { return Value(r.order); }},
    {{"bound", "", T::Real, "too few runs, or the m-th run was not a success",
      "the m-th smallest (>=) or largest (<=) value"},
     [](const R& r) { return r.bound ? Value(*r.bound) : Value(); }},
    {{"verdict", "", T::Text, "", "met, not_met or too_few_runs"},
     [](const R& r) { return Value(requirementVerdictName(r.verdict)); }},
    {{"runs_needed", "", T::Integer, "", "the fewest runs, all passing, that verify it"},
     [](const R& r) { return Value(r.runsNeeded); }},
    {{"orbits", "", T::Integer, "", "runs with a value of the output (orbits)"},
     [](const R& r) { return Value(r.orbits); }},
    {{"orbit_order", "", T::Integer, "", "m of the output's own bound over the orbits"},
     [](const R& r) { return Value(r.orbitOrder); }},
    {{"orbit_bound", "", T::Real, "too few orbits",
      "the output's bound at the probability and confidence over the orbits alone"},
     [](const R& r) { return r.orbitBound ? Value(*r.orbitBound) : Value(); }},
};
// clang-format on

}  // namespace

Schema<RequirementResult> requirementSchema() {
  return requirementFields;
}

}  // namespace ascent

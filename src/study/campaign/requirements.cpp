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

RequirementResult verifyRequirement(const Requirement& requirement, std::vector<double>& values,
                                    double probability, double confidence) {
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
  for (double& v : values) {
    v = std::isnan(v) ? lowest : sign * v;
    result.failures += v < sign * requirement.value;
  }
  result.order = orderStatisticRank(values.size(), probability, confidence);
  if (result.order == 0) return result;
  const auto mth = values.begin() + static_cast<std::ptrdiff_t>(result.order - 1);
  std::nth_element(values.begin(), mth, values.end());
  if (std::isfinite(*mth)) result.bound = sign * *mth;
  result.verdict =
      result.failures < result.order ? RequirementVerdict::Met : RequirementVerdict::NotMet;
  return result;
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
      "runs on the wrong side of the value, the runs that were not a success included"},
     [](const R& r) { return Value(r.failures); }},
    {{"order", "", T::Integer, "", "m of the order-statistic bound; 0 for too few runs"},
     [](const R& r) { return Value(r.order); }},
    {{"bound", "", T::Real, "too few runs, or the m-th run was not a success",
      "the m-th smallest (>=) or largest (<=) value"},
     [](const R& r) { return r.bound ? Value(*r.bound) : Value(); }},
    {{"verdict", "", T::Text, "", "met, not_met or too_few_runs"},
     [](const R& r) { return Value(requirementVerdictName(r.verdict)); }},
    {{"runs_needed", "", T::Integer, "", "the fewest runs, all passing, that verify it"},
     [](const R& r) { return Value(r.runsNeeded); }},
};
// clang-format on

}  // namespace

Schema<RequirementResult> requirementSchema() {
  return requirementFields;
}

}  // namespace ascent

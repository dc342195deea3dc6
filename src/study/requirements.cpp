// Requirements verified by order statistics (ascent/requirements.h).
#include "ascent/requirements.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "mission/number_reader.h"

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

Requirement parseRequirement(std::string_view text, std::span<const std::string_view> outputs) {
  Requirement r;
  r.text = std::string(text);
  const std::size_t at = text.find_first_of("<>");
  if (at == std::string_view::npos || at + 1 >= text.size() || text[at + 1] != '=') {
    throw std::invalid_argument("the requirement '" + r.text +
                                "' is not OUTPUT>=VALUE or OUTPUT<=VALUE");
  }
  r.output = std::string(text.substr(0, at));
  r.atLeast = text[at] == '>';
  if (std::find(outputs.begin(), outputs.end(), r.output) == outputs.end()) {
    throw std::invalid_argument("the requirement '" + r.text + "' names no output '" + r.output +
                                "'" + didYouMean(r.output, outputs));
  }
  const std::string_view number = text.substr(at + 2);
  if (!parseReal(number, r.value) || !std::isfinite(r.value)) {
    throw std::invalid_argument("the requirement '" + r.text + "' has no number after " +
                                std::string(text.substr(at, 2)));
  }
  return r;
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

Value requirementValue(const RequirementResult& r) {
  return Value::object({{"requirement", r.requirement},
                        {"probability", r.probability},
                        {"confidence", r.confidence},
                        {"runs", r.runs},
                        {"failures", r.failures},
                        {"order", r.order},
                        {"bound", r.bound ? Value(*r.bound) : Value()},
                        {"verdict", requirementVerdictName(r.verdict)},
                        {"runs_needed", r.runsNeeded}});
}

}  // namespace ascent

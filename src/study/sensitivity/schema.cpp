// What a sensitivity study gives, described once (ascent/sensitivity.h): its
// indices, its whole result, and the rank correlations of a campaign.
#include "ascent/sensitivity.h"

namespace ascent {

namespace {

using S = SobolRowView;
using T = FieldType;

Value optional(const std::optional<double>& value) {
  return value ? Value(*value) : Value();
}

constexpr std::string_view noIndex = "too few runs with the output, or no spread of it";

// clang-format off
constexpr Field<S> sobolFields[] = {
    {{"output", "", T::Text, "", "the output: perigee_m ... max_dynamic_pressure_Pa, success"},
     [](const S& s) { return Value(s.estimate->output); }},
    {{"factor", "", T::Text, "", "the key, or the correlated keys of a group joined by +"},
     [](const S& s) { return Value(s.result->factors[s.estimate->factor].name); }},
    {{"group", "", T::Flag, "", "the factor is a group of correlated keys"},
     [](const S& s) { return Value(s.result->factors[s.estimate->factor].group()); }},
    {{"first_order", "", T::Real, noIndex,
      "S1: the share of the output's variance the factor causes alone"},
     [](const S& s) { return optional(s.estimate->first); }},
    {{"first_order_low", "", T::Real, noIndex, "its 95 % bootstrap interval's low end"},
     [](const S& s) { return optional(s.estimate->firstLow); }},
    {{"first_order_high", "", T::Real, noIndex, "and high end"},
     [](const S& s) { return optional(s.estimate->firstHigh); }},
    {{"total", "", T::Real, noIndex,
      "ST: the share it causes with its interactions; about 0: it can be fixed at nominal"},
     [](const S& s) { return optional(s.estimate->total); }},
    {{"total_low", "", T::Real, noIndex, "its 95 % bootstrap interval's low end"},
     [](const S& s) { return optional(s.estimate->totalLow); }},
    {{"total_high", "", T::Real, noIndex, "and high end"},
     [](const S& s) { return optional(s.estimate->totalHigh); }},
    {{"tuples", "", T::Integer, "", "rows of the design with the output in A, B and AB"},
     [](const S& s) { return Value(s.estimate->tuples); }},
    {{"left_out", "", T::Integer, "", "rows left out: a run without the output (no orbit)"},
     [](const S& s) { return Value(s.estimate->leftOut); }},
};

using R = RankCorrelationEstimate;
constexpr Field<R> rankFields[] = {
    {{"output", "", T::Text, "", "the output"}, [](const R& r) { return Value(r.output); }},
    {{"key", "", T::Text, "", "the dispersed key"}, [](const R& r) { return Value(r.key); }},
    {{"rho", "", T::Real, "fewer than 4 pairs or a constant column",
      "Spearman's rank correlation: ranks the keys, not a share of the variance"},
     [](const R& r) { return optional(r.rho); }},
    {{"rho_low", "", T::Real, "no rho", "its 95 % interval's low end (Fisher z)"},
     [](const R& r) { return optional(r.low); }},
    {{"rho_high", "", T::Real, "no rho", "and high end"},
     [](const R& r) { return optional(r.high); }},
    {{"pairs", "", T::Integer, "", "runs with the output"},
     [](const R& r) { return Value(r.pairs); }},
    {{"left_out", "", T::Integer, "", "runs without it"},
     [](const R& r) { return Value(r.leftOut); }},
};
// clang-format on

Value factorsValue(const SensitivityResult& result) {
  Value factors = Value::list();
  for (const SensitivityFactor& f : result.factors) {
    Value keys = Value::list();
    for (const std::string& key : f.keyNames) keys.push(Value(key));
    factors.push(Value::object({{"name", f.name}, {"keys", keys}, {"group", f.group()}}));
  }
  return factors;
}

}  // namespace

Schema<SobolRowView> sobolSchema() {
  return sobolFields;
}

Schema<RankCorrelationEstimate> rankCorrelationSchema() {
  return rankFields;
}

CampaignRowSchema sensitivityRowSchema(std::span<const Dispersion> dispersions) {
  return CampaignRowSchema(dispersions, true);
}

Value sensitivityValue(const SensitivityResult& result) {
  Value indices = Value::list();
  for (const SobolEstimate& e : result.indices) {
    indices.push(toValue(sobolSchema(), SobolRowView{&e, &result}));
  }
  // The first-order indices of an output sum to at most 1, to 1 for a model
  // without interactions: the sum says how much the interactions hold.
  Value sums = Value::object();
  for (const std::string_view output : sensitivityOutputNames()) {
    double sum = 0;
    bool every = !result.indices.empty();
    for (const SobolEstimate& e : result.indices) {
      if (e.output != output) continue;
      if (!e.first) every = false;
      sum += e.first.value_or(0);
    }
    sums.add(std::string(output), realOrNull(sum, every));
  }
  return Value::object({{"program", "ascent"},
                        {"version", version()},
                        {"campaign", campaignManifestValue(result.manifest)},
                        {"rows", result.rows},
                        {"runs", result.takenUp + result.flown},
                        {"resamples", result.resamples},
                        {"complete", result.complete},
                        {"factors", factorsValue(result)},
                        {"indices", indices},
                        {"first_order_sums", sums}});
}

Value rankCorrelationValue(const std::vector<RankCorrelationEstimate>& estimates,
                           const CampaignManifest& manifest) {
  Value correlations = Value::list();
  for (const RankCorrelationEstimate& e : estimates) {
    correlations.push(toValue(rankCorrelationSchema(), e));
  }
  return Value::object({{"program", "ascent"},
                        {"version", version()},
                        {"campaign", campaignManifestValue(manifest)},
                        {"runs", manifest.endRun - manifest.firstRun},
                        {"correlations", correlations}});
}

}  // namespace ascent

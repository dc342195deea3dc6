// The sensitivity study: its factors, its design's draws, its run and the
// estimation of its indices (ascent/sensitivity.h).
#include "ascent/sensitivity.h"

#include <numeric>

#include "mission/hash.h"
#include "study/campaign/flight.h"
#include "study/sensitivity/estimators.h"

namespace ascent {

namespace {

constexpr std::string_view outputWords[] = {"perigee_m",
                                            "apogee_m",
                                            "average_altitude_m",
                                            "remaining_propellant_kg",
                                            "SC_M_kg",
                                            "max_dynamic_pressure_Pa",
                                            "success"};
static_assert(std::size(outputWords) == sensitivityOutputCount);

constexpr CampaignOutput campaignColumn[] = {
    CampaignOutput::Perigee,         CampaignOutput::Apogee,
    CampaignOutput::AverageAltitude, CampaignOutput::RemainingPropellant,
    CampaignOutput::SpacecraftMass,  CampaignOutput::MaxDynamicPressure};

// The union-find root of a dispersion among the correlated ones.
std::size_t rootOf(std::vector<std::size_t>& parent, std::size_t k) {
  while (parent[k] != k) k = parent[k] = parent[parent[k]];
  return k;
}

// The runs of the settings' shard of the design: its part of the
// N (d + 2) runs, with their campaign.
CampaignSettings shardRuns(const SensitivitySettings& settings, std::size_t factors) {
  CampaignSettings campaign = settings.campaign;
  const std::uint64_t runs = settings.rows * (factors + 2);
  if (settings.shards > runs) {
    throw InputError({"the design's " + std::to_string(runs) + " runs cannot be cut into " +
                      std::to_string(settings.shards) + " shards"},
                     "shards");
  }
  // runs < 2^31 (256 + 2) and (runs % shards) shard < 2^40: no overflow.
  campaign.firstRun = runs / settings.shards * (settings.shard - 1) +
                      runs % settings.shards * (settings.shard - 1) / settings.shards;
  campaign.endRun = runs / settings.shards * settings.shard +
                    runs % settings.shards * settings.shard / settings.shards;
  return campaign;
}

}  // namespace

std::string_view sensitivityOutputName(SensitivityOutput output) {
  return outputWords[static_cast<std::size_t>(output)];
}

std::span<const std::string_view> sensitivityOutputNames() {
  return outputWords;
}

double sensitivityValue(const CampaignRow& row, SensitivityOutput output,
                        double minRemainingPropellant_kg) {
  if (output == SensitivityOutput::Success) {
    return campaignSuccess(row, minRemainingPropellant_kg) ? 1 : 0;
  }
  return row.outputs[static_cast<std::size_t>(campaignColumn[static_cast<std::size_t>(output)])];
}

std::vector<SensitivityFactor> sensitivityFactors(std::span<const Dispersion> dispersions,
                                                  std::span<const Correlation> correlations) {
  std::vector<std::size_t> parent(dispersions.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (const Correlation& c : correlations) {
    parent[rootOf(parent, c.first)] = rootOf(parent, c.second);
  }
  std::vector<SensitivityFactor> factors;
  std::vector<std::size_t> factorOfRoot(dispersions.size(), dispersions.size());
  for (std::size_t k = 0; k < dispersions.size(); ++k) {
    std::size_t& f = factorOfRoot[rootOf(parent, k)];
    if (f == dispersions.size()) {
      f = factors.size();
      factors.push_back({dispersions[k].key, {}, {}});
    } else {
      factors[f].name += " + " + dispersions[k].key;
    }
    factors[f].keys.push_back(k);
    factors[f].keyNames.push_back(dispersions[k].key);
  }
  return factors;
}

DesignPoint designPoint(std::uint64_t run, std::uint64_t rows, std::size_t factors) {
  const SaltelliRun at = saltelliRun(run, rows, factors);
  switch (at.matrix) {
    case SaltelliMatrix::A:
      return {"A", at.row};
    case SaltelliMatrix::B:
      return {"B", at.row};
    case SaltelliMatrix::AB:
      break;
  }
  return {"AB" + std::to_string(at.factor + 1), at.row};
}

void drawDesignRun(const Sampler& sampler, const std::vector<SensitivityFactor>& factors,
                   std::uint64_t seed, std::uint64_t rows, std::uint64_t run,
                   std::span<double> values) {
  const SaltelliRun at = saltelliRun(run, rows, factors.size());
  // A's row j is the campaign's draw 2j, B's the draw 2j + 1: correlated
  // keys keep their joint distribution within each.
  const std::uint64_t a = 2 * static_cast<std::uint64_t>(at.row);
  if (at.matrix != SaltelliMatrix::AB) {
    sampler.draw(seed, at.matrix == SaltelliMatrix::A ? a : a + 1, values);
    return;
  }
  sampler.draw(seed, a, values);
  std::vector<double> b(values.size());
  sampler.draw(seed, a + 1, b);
  for (const std::size_t k : factors[at.factor].keys) values[k] = b[k];
}

SettingProblem settingsProblem(const SensitivitySettings& settings) {
  if (settings.rows < 2 || settings.rows > (std::uint64_t{1} << 31)) {
    return {"rows",
            "the design's rows " + std::to_string(settings.rows) + " are outside 2 to 2147483648"};
  }
  if (settings.resamples < 100 || settings.resamples > 100000) {
    return {"resamples", "the bootstrap's resamples " + std::to_string(settings.resamples) +
                             " are outside 100 to 100000"};
  }
  if (settings.shards < 1 || settings.shards > (std::uint64_t{1} << 20) || settings.shard < 1 ||
      settings.shard > settings.shards) {
    return {"shard", "shard " + std::to_string(settings.shard) + " of " +
                         std::to_string(settings.shards) +
                         " is not one of 1 to its count (at most 1048576)"};
  }
  CampaignSettings campaign = settings.campaign;
  campaign.firstRun = 0;  // the design's runs: checked when the factors are known
  campaign.endRun = 1;
  return settingsProblem(campaign);
}

void SensitivityColumns::add(const CampaignRow& row, double minRemainingPropellant_kg) {
  for (std::size_t o = 0; o < sensitivityOutputCount; ++o) {
    values[o].push_back(
        sensitivityValue(row, static_cast<SensitivityOutput>(o), minRemainingPropellant_kg));
  }
}

void estimateIndices(SensitivityResult& result, const SensitivityColumns& columns,
                     std::uint64_t seed) {
  const std::size_t factors = result.factors.size();
  result.indices.clear();
  // The bootstrap's own stream, apart from the runs' draws.
  const BootstrapResamples resamples(seed ^ fnv1a("bootstrap"), result.rows, result.resamples);
  // Every output's and factor's columns, bootstrapped on the same resamples.
  std::vector<SaltelliColumns> all;
  for (std::size_t o = 0; o < sensitivityOutputCount; ++o) {
    for (std::size_t i = 0; i < factors; ++i) {
      all.push_back(saltelliColumns(columns.values[o], factors, i));
    }
  }
  const std::vector<SobolIndices> estimated = sobolIndices(all, resamples);
  for (std::size_t c = 0; c < estimated.size(); ++c) {
    const SobolIndices& s = estimated[c];
    SobolEstimate e;
    e.output = outputWords[c / factors];
    e.factor = c % factors;
    e.tuples = s.tuples;
    e.leftOut = s.leftOut;
    if (s.first) e.first = s.first->value, e.firstLow = s.first->low, e.firstHigh = s.first->high;
    if (s.total) e.total = s.total->value, e.totalLow = s.total->low, e.totalHigh = s.total->high;
    result.indices.push_back(std::move(e));
  }
  result.complete = true;
}

namespace {

// The study's observer around the caller's: every row, taken up or flown,
// also gives its outputs to the columns.
class Collecting final : public CampaignObserver {
 public:
  Collecting(CampaignObserver& inner, double minRemaining_kg)
      : inner_(inner), minRemaining_kg_(minRemaining_kg) {}
  std::uint64_t start(const CampaignManifest& manifest, const CampaignLimit& limit,
                      const Sampler& sampler,
                      const std::function<void(const CampaignRow&)>& add) override {
    return inner_.start(manifest, limit, sampler, [&](const CampaignRow& row) {
      columns.add(row, minRemaining_kg_);
      add(row);
    });
  }
  void row(const CampaignRow& row) override {
    columns.add(row, minRemaining_kg_);
    inner_.row(row);
  }
  void longRecordInterval(double interval_s) override { inner_.longRecordInterval(interval_s); }
  void progress(std::size_t done, std::size_t total) override { inner_.progress(done, total); }
  bool stopRequested() override { return inner_.stopRequested(); }
  SensitivityColumns columns;

 private:
  CampaignObserver& inner_;
  double minRemaining_kg_;
};

}  // namespace

SensitivityResult runSensitivity(const CampaignInputs& inputs, const SensitivitySettings& settings,
                                 unsigned jobs, CampaignObserver& observer,
                                 std::unique_ptr<ValueSpill> spill) {
  refuseSetting(settingsProblem(settings));
  SensitivityResult result;
  result.factors =
      sensitivityFactors(inputs.dispersions.dispersions, inputs.dispersions.correlations);
  result.rows = settings.rows;
  result.resamples = settings.resamples;
  const std::uint64_t designRuns = settings.rows * (result.factors.size() + 2);
  const CampaignSettings campaign = shardRuns(settings, result.factors.size());
  const std::vector<SensitivityFactor>& factors = result.factors;
  const DrawOf design = [&](const Sampler& sampler) -> RunDraw {
    return [&sampler, &factors, &settings, &campaign](std::uint64_t run) {
      CampaignRow row;
      row.run = run;
      row.design = designPoint(run, settings.rows, factors.size());
      row.values.resize(sampler.dispersions().size());
      drawDesignRun(sampler, factors, campaign.seed, settings.rows, run, row.values);
      return row;
    };
  };
  Collecting collecting(observer, campaign.minRemainingPropellant_kg);
  const CampaignResult flown =
      flyCampaign(inputs, campaign, jobs, collecting, std::move(spill), design, settings.rows);
  result.limit = flown.limit;
  result.manifest = flown.manifest;
  result.takenUp = flown.takenUp;
  result.flown = flown.flown;
  result.stopped = flown.stopped;
  if (!flown.stopped && campaign.firstRun == 0 && campaign.endRun == designRuns &&
      flown.limit.verdict == Verdict::Converged) {
    estimateIndices(result, collecting.columns, campaign.seed);
  }
  return result;
}

void GivenRuns::add(const CampaignRow& row, double minRemainingPropellant_kg) {
  values.resize(row.values.size());
  for (std::size_t k = 0; k < row.values.size(); ++k) values[k].push_back(row.values[k]);
  outputs.add(row, minRemainingPropellant_kg);
}

std::vector<RankCorrelationEstimate> rankCorrelations(const GivenRuns& runs) {
  std::vector<RankCorrelationEstimate> estimates;
  for (std::size_t o = 0; o < sensitivityOutputCount; ++o) {
    for (std::size_t k = 0; k < runs.values.size(); ++k) {
      const RankCorrelation c = spearman(runs.values[k], runs.outputs.values[o]);
      RankCorrelationEstimate e{std::string(outputWords[o]),
                                k < runs.keys.size() ? runs.keys[k] : std::string(),
                                {},
                                {},
                                {},
                                c.pairs,
                                c.leftOut};
      if (c.rho) e.rho = c.rho->value, e.low = c.rho->low, e.high = c.rho->high;
      estimates.push_back(std::move(e));
    }
  }
  return estimates;
}

}  // namespace ascent

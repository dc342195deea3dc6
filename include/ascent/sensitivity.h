// The sensitivity study: which dispersion causes how much of the spread of
// a campaign's outputs, under the campaign's guidance. Variance-based
// global sensitivity (Sobol indices; Saltelli et al., Comput. Phys. Commun.
// 181, 2010): the Saltelli design flies matrices A and B of N rows each and,
// for each factor i, A with factor i's values taken from B, N (d + 2) runs
// for d factors; each run is a campaign run. For each output it estimates
// the first-order index S1 (Saltelli 2010) and the total index ST (Jansen
// 1999), each with a 95 % bootstrap interval.
//
// Keys correlated in the dispersion file are one factor, a group: Sobol
// indices assume independent factors. Every value of every run is a pure
// function of (seed, matrix, row, key): the row of A is the campaign draw
// 2 row, that of B the draw 2 row + 1, so any number of threads, any split
// into shards, a resume or a merge give the same bytes.
//
// From data already flown, rankCorrelations() gives the Spearman rank
// correlation of each key with each output of a campaign's rows: it ranks the
// keys cheaply, but a rank correlation is not a share of the variance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/campaign.h"

namespace ascent {

// The outputs a sensitivity study estimates indices of, the campaign's own
// columns, and the success indicator (1 for a success, else 0).
enum class SensitivityOutput {
  Perigee,
  Apogee,
  AverageAltitude,
  RemainingPropellant,
  SpacecraftMass,
  MaxDynamicPressure,
  Success,
};
constexpr std::size_t sensitivityOutputCount = 7;
// "perigee_m", ..., "max_dynamic_pressure_Pa", "success".
std::string_view sensitivityOutputName(SensitivityOutput output);
std::span<const std::string_view> sensitivityOutputNames();
// An output's value in a run: NaN for a column the run has none of.
double sensitivityValue(const CampaignRow& row, SensitivityOutput output,
                        double minRemainingPropellant_kg);

// A factor: one key, or the keys correlated with each other (a group), in
// the order of the dispersion file.
struct SensitivityFactor {
  std::string name;                   // the key, or the group's keys joined by " + "
  std::vector<std::size_t> keys;      // indices into the dispersions
  std::vector<std::string> keyNames;  // and their names
  bool group() const { return keys.size() > 1; }
};
// The factors of a list of dispersions: the connected sets of its correlations.
std::vector<SensitivityFactor> sensitivityFactors(std::span<const Dispersion> dispersions,
                                                  std::span<const Correlation> correlations);

// Where run `run` of a design of `rows` rows and `factors` factors is: A's
// rows first, then B's, then AB1's, and so on.
DesignPoint designPoint(std::uint64_t run, std::uint64_t rows, std::size_t factors);
// The values of the keys in that run.
void drawDesignRun(const Sampler& sampler, const std::vector<SensitivityFactor>& factors,
                   std::uint64_t seed, std::uint64_t rows, std::uint64_t run,
                   std::span<double> values);

struct SensitivitySettings {
  // The campaign every run belongs to: its seed, turn time, guidance and
  // search, and the reserve a success keeps; its runs are the design's.
  CampaignSettings campaign;
  std::uint64_t rows = 0;  // N: the rows of A and of B
  std::size_t resamples = 1000;
  // Shard `shard` of `shards` (from 1): the design's runs cut into `shards`
  // consecutive parts of nearly equal size, a merge joining them again.
  std::uint64_t shard = 1, shards = 1;
};
SettingProblem settingsProblem(const SensitivitySettings& settings);

// One index of one factor for one output.
struct SobolEstimate {
  std::string output;
  std::size_t factor = 0;  // into the factors
  // None when the output has too few tuples or no spread (never NaN).
  std::optional<double> first, firstLow, firstHigh, total, totalLow, totalHigh;
  std::size_t tuples = 0, leftOut = 0;
};

struct SensitivityResult {
  std::vector<SensitivityFactor> factors;
  std::vector<SobolEstimate> indices;  // output by output, factor by factor
  CampaignLimit limit;
  CampaignManifest manifest;
  std::uint64_t takenUp = 0, flown = 0;
  bool stopped = false;
  bool complete = false;  // every run of the design: the indices are estimated
  std::uint64_t rows = 0;
  std::size_t resamples = 0;
};

// Every output's value in every run of the design, in run order: what the
// estimators read (7 numbers a run, whatever the rows hold besides).
struct SensitivityColumns {
  std::vector<double> values[sensitivityOutputCount];
  void add(const CampaignRow& row, double minRemainingPropellant_kg);
  std::size_t runs() const { return values[0].size(); }
};

// Estimates the indices of `result.factors` from the columns of every run of
// the design (what the study itself or a merge has), the bootstrap seeded
// by `seed`.
void estimateIndices(SensitivityResult& result, const SensitivityColumns& columns,
                     std::uint64_t seed);

// Flies the design's runs of the settings on `jobs` threads, rows delivered
// to `observer` in run order, then estimates the indices when the runs are
// the whole design. Throws as runCampaign does, whose `spill` keeps the
// campaign's own summary columns (none: in memory).
SensitivityResult runSensitivity(const CampaignInputs& inputs, const SensitivitySettings& settings,
                                 unsigned jobs, CampaignObserver& observer,
                                 std::unique_ptr<ValueSpill> spill = nullptr);

// run, matrix, row, the campaign's columns from the keys on: the rows of a
// sensitivity study's CSV.
CampaignRowSchema sensitivityRowSchema(std::span<const Dispersion> dispersions);

// The indices as the CSV has them: output, factor, group, first_order,
// first_low, first_high, total, total_low, total_high, tuples, left_out.
struct SobolRowView {
  const SobolEstimate* estimate;
  const SensitivityResult* result;
};
Schema<SobolRowView> sobolSchema();
// What --json prints: the campaign, rows, resamples, factors (name, keys,
// group), the indices (sobolSchema) and, per output, the sum of the
// first-order indices.
Value sensitivityValue(const SensitivityResult& result);

// The keys' values and the outputs of a campaign's runs, what the rank
// correlations are estimated from (a column of numbers each, not the rows).
struct GivenRuns {
  std::vector<std::string> keys;
  std::vector<std::vector<double>> values;  // key by key
  SensitivityColumns outputs;
  void add(const CampaignRow& row, double minRemainingPropellant_kg);
};

// The Spearman rank correlation of every key with every output of a
// campaign's runs, with its 95 % interval (Fisher z, standard error
// sqrt(1.06 / (n - 3))); output by output, key by key.
struct RankCorrelationEstimate {
  std::string output, key;
  std::optional<double> rho, low, high;
  std::size_t pairs = 0, leftOut = 0;
};
std::vector<RankCorrelationEstimate> rankCorrelations(const GivenRuns& runs);
Schema<RankCorrelationEstimate> rankCorrelationSchema();
// What --given --json prints: the campaign, its runs and the correlations.
Value rankCorrelationValue(const std::vector<RankCorrelationEstimate>& estimates,
                           const CampaignManifest& manifest);

}  // namespace ascent

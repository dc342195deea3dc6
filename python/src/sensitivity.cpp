// ascent.sensitivity, merge_sensitivity and rank_correlations: the
// sensitivity study on threads, the merge of its shards and the rank
// correlations of a campaign's rows, each as the command line's --json has
// it, with the rows and the estimates as Tables of their CSV columns.
#include "ascent/sensitivity.h"

#include <pybind11/stl.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ascent/campaign_store.h"
#include "ascent/files.h"
#include "bindings.h"
#include "calls.h"
#include "campaigns.h"

namespace ascent::python {

namespace {

// The result of sensitivity() and merge_sensitivity(): what --json prints,
// the design's rows and the indices.
struct Sensitivity : Result {
  Table rows, indices;
};

// The result of rank_correlations(): what --given --json prints, and the
// correlations.
struct RankCorrelations : Result {
  Table correlations;
};

Sensitivity sensitivityOf(const SensitivityResult& result, std::span<const Dispersion> keys,
                          const std::vector<CampaignRow>& rows) {
  Sensitivity s;
  s.value = sensitivityValue(result);
  s.rows = tableOf(sensitivityRowSchema(keys).fields(), rows);
  std::vector<SobolRowView> estimates;
  for (const SobolEstimate& e : result.indices) estimates.push_back({&e, &result});
  s.indices = tableOf(sobolSchema(), estimates);
  return s;
}

// Shard i of k as --shard I/K: a tuple (i, k).
void shardOf(const py::object& shard, SensitivitySettings& settings) {
  if (shard.is_none()) return;
  if (!py::isinstance<py::tuple>(shard) || py::len(shard) != 2) {
    throw py::type_error("shard must be a tuple (i, k) of ints: shard i of k");
  }
  const auto pair = shard.cast<py::tuple>();
  settings.shard = campaignNumberOf(pair[0], "shard", "the shard");
  settings.shards = campaignNumberOf(pair[1], "shard", "the shards");
}

Sensitivity sensitivity(const py::object& file, const py::object& rows, const py::object& seed,
                        double turnTime_s, std::optional<double> limit_deg,
                        const std::optional<std::string>& guidance,
                        const std::optional<std::vector<std::string>>& know, bool retarget,
                        const Vehicle* vehicle, py::object thrust, std::optional<long long> jobs,
                        double minRemainingPropellant_kg, const py::object& resamples,
                        const py::object& shard, const py::object& csv) {
  SensitivitySettings settings;
  CampaignSettings& campaign = settings.campaign;
  settings.rows = campaignNumberOf(rows, "rows", "the design's rows");
  campaign.seed = campaignNumberOf(seed, "seed", "the seed");
  campaign.turnTime_s = turnTime_s;
  campaign.limit_deg = limit_deg;
  guidanceOf(guidance, retarget, know, campaign);
  campaign.minRemainingPropellant_kg = minRemainingPropellant_kg;
  settings.resamples = campaignNumberOf(resamples, "resamples", "the resamples");
  shardOf(shard, settings);
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  const std::string path = pathOf(file);
  const DispersionFile read = readDispersions(path, flying.vehicle());
  // The CSV and its manifest are created before the first run, as the
  // command line creates them, and put into place when every run is flown.
  const CampaignRowSchema schema = sensitivityRowSchema(read.dispersions);
  std::unique_ptr<CampaignWriter> writer;
  if (!csv.is_none()) {
    writer = openCampaignCsv(
        pathOf(csv), schema.header() + '\n',
        {{path, "the dispersion file"}, {flying.inputs().history.name(), "the thrust file"}});
  }
  KeptRows kept(0, writer.get(), &schema);
  const SensitivityResult result = withoutLock([&] {
    return runSensitivity({flying.inputs(), read}, settings, threads, kept, temporaryFileSpill());
  });
  if (result.limit.verdict != Verdict::Converged) raiseNoDesign(turnTime_s, result.limit.verdict);
  if (writer) writer->commit(result.manifest);
  return sensitivityOf(result, read.dispersions, kept.rows);
}

Sensitivity mergeShards(const std::vector<py::object>& shards, const py::object& output,
                        double minRemainingPropellant_kg, const py::object& resamples) {
  SensitivitySettings settings;
  settings.campaign.minRemainingPropellant_kg = minRemainingPropellant_kg;
  settings.resamples = campaignNumberOf(resamples, "resamples", "the resamples");
  std::vector<std::string> paths;
  for (const py::object& shard : shards) paths.push_back(pathOf(shard));
  const std::string merged = pathOf(output);
  refuseMergeClashes(paths, merged);
  std::vector<Dispersion> keys;
  std::vector<CampaignRow> rows;
  const SamplerOf samplerOf = [&keys](const CampaignManifest& manifest, const std::string& csv) {
    Sampler sampler = campaignSampler(manifest, csv);
    keys = sampler.dispersions();
    return sampler;
  };
  const SensitivityResult result = withoutLock([&] {
    return mergeSensitivity(
        paths, merged, settings, [&rows](const CampaignRow& row) { rows.push_back(row); },
        samplerOf);
  });
  return sensitivityOf(result, keys, rows);
}

RankCorrelations rankCorrelationsOf(const py::object& campaignCsv,
                                    double minRemainingPropellant_kg) {
  const std::string path = pathOf(campaignCsv);
  GivenRuns runs;
  std::vector<RankCorrelationEstimate> estimates;
  const CampaignRead read = withoutLock([&] {
    CampaignRead r = readCampaign(
        path, [&](const CampaignRow& row) { runs.add(row, minRemainingPropellant_kg); });
    runs.keys = r.keys;
    estimates = rankCorrelations(runs);
    return r;
  });
  RankCorrelations result;
  result.value = rankCorrelationValue(estimates, read.manifest);
  result.correlations = tableOf(rankCorrelationSchema(), estimates);
  return result;
}

}  // namespace

void bindSensitivity(py::module_& m) {
  py::class_<Sensitivity, Result>(m, "Sensitivity",
                                  R"(A sensitivity study's result: what `ascent sensitivity
--json` prints (result["indices"], to_dict(); result["rows"] is N, the rows of
matrices A and B), `rows`, a Table with the columns of the design's CSV in
its order, and `indices`, a Table with the columns of --indices.)")
      .def_readonly("rows", &Sensitivity::rows,
                    "run, matrix, row, every dispersed key, outcome ... limit_deg, in run order")
      .def_readonly("indices", &Sensitivity::indices,
                    "output, factor, group, first_order ... left_out (NaN where an output has "
                    "too few runs or no spread; none before the whole design is flown)");
  py::class_<RankCorrelations, Result>(m, "RankCorrelations",
                                       R"(The rank correlations of a campaign's runs: what
`ascent sensitivity --given CSV --json` prints and `correlations`, a Table of
its columns.)")
      .def_readonly("correlations", &RankCorrelations::correlations,
                    "output, key, rho, rho_low, rho_high, pairs, left_out");
  const SensitivitySettings defaults;
  const double reserve_kg = defaults.campaign.minRemainingPropellant_kg;
  defineFunction(m, "sensitivity", &sensitivity,
                 R"(Estimates which dispersion causes how much of the spread of each
output: Sobol indices (first order S1 and total ST, each with a 95 %
bootstrap interval of `resamples` resamples) from a Saltelli design of
matrices A and B of `rows` rows each, N (d + 2) campaign runs for d factors
(keys correlated in the dispersion file `file` are one factor). The values
are drawn from `seed`; turn_time_s, limit_deg, guidance, know, retarget,
vehicle, thrust, jobs and min_remaining_propellant_kg are dispersions()'s.
`shard` (i, k) flies only part i of k of the design's runs, which
merge_sensitivity() joins; a shard has no indices. With `csv` (a path) the
runs are written there with their manifest beside it, the bytes of
`ascent sensitivity --csv`, put into place once every run is flown; a CSV
that is an input is refused (InputError).

Returns a Sensitivity: to_dict() equals json.loads of `ascent sensitivity
FILE --runs N --seed S --turn-time T --json` for the same inputs (program,
version, campaign, rows, runs, resamples, complete, factors, indices,
first_order_sums); its vehicle_file is empty and its thrust_file the thrust
history's name. The same bits for any `jobs` and any shards merged. Raises
as dispersions() does; Ctrl-C (KeyboardInterrupt) ends the study between
runs and leaves no CSV.)",
                 py::arg("file"), py::arg("rows"), py::arg("seed"), py::arg("turn_time_s"),
                 py::kw_only(), py::arg("limit_deg") = py::none(), py::arg("guidance") = py::none(),
                 py::arg("know") = py::none(), py::arg("retarget") = false,
                 py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
                 py::arg("jobs") = py::none(), py::arg("min_remaining_propellant_kg") = reserve_kg,
                 py::arg("resamples") = defaults.resamples, py::arg("shard") = py::none(),
                 py::arg("csv") = py::none());
  defineFunction(m, "merge_sensitivity", &mergeShards,
                 R"(Joins the CSV files of a sensitivity study's shards (each with its
manifest beside it) into `output` and its manifest, as `ascent sensitivity
--merge OUTPUT SHARDS... --json` does, and estimates the indices when they
hold the whole design. Returns a Sensitivity. Raises InputError, with
nothing written, for no shard, shards of different studies, runs in two
shards or in none, or an output that is one of the shards.)",
                 py::arg("shards"), py::arg("output"), py::kw_only(),
                 py::arg("min_remaining_propellant_kg") = reserve_kg,
                 py::arg("resamples") = defaults.resamples);
  defineFunction(m, "rank_correlations", &rankCorrelationsOf,
                 R"(The Spearman rank correlation of each key with each output of the
runs of a campaign's CSV `campaign_csv` (its manifest beside it), with a
95 % interval, as `ascent sensitivity --given CAMPAIGN_CSV --json` gives
them; flies nothing. It ranks the keys cheaply; a rank correlation is not a
share of the variance. Returns a RankCorrelations.)",
                 py::arg("campaign_csv"), py::kw_only(),
                 py::arg("min_remaining_propellant_kg") = reserve_kg);
}

}  // namespace ascent::python

// ascent.dispersions: a dispersion campaign on threads, its summary as the
// command line's --json has it and its rows as the columns of its CSV.
#include <pybind11/stl.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/campaign_store.h"
#include "ascent/files.h"
#include "ascent/grammar.h"
#include "bindings.h"
#include "calls.h"
#include "campaigns.h"

namespace ascent::python {

namespace {

// The result of dispersions(): the summary, and the rows as a Table.
struct Campaign : Result {
  Table rows;
};

// The runs of an int N (0 to N-1) or a range(A, B), as --runs N or A:B.
void runsOf(const py::object& runs, CampaignSettings& settings) {
  std::string text;
  if (py::isinstance<py::int_>(runs) && !py::isinstance<py::bool_>(runs)) {
    text = digitsOf(runs, "runs");
  } else if (py::isinstance(runs, py::module_::import("builtins").attr("range"))) {
    if (!py::int_(1).equal(runs.attr("step"))) {
      throw InputError({"runs must be a range(A, B) with step 1"}, "runs");
    }
    text = digitsOf(runs.attr("start"), "runs") + ":" + digitsOf(runs.attr("stop"), "runs");
  } else {
    throw py::type_error("runs must be an int N (runs 0 to N-1) or a range(A, B)");
  }
  readArgument("runs", [&] { parseRuns(text, settings.firstRun, settings.endRun); });
}

// The settings a campaign's summary is judged by, as --reserve, --require,
// --probability and --confidence give them.
void judgingSettings(double minRemainingPropellant_kg, const std::vector<std::string>& require,
                     double probability, double confidence, CampaignSettings& settings) {
  settings.minRemainingPropellant_kg = minRemainingPropellant_kg;
  settings.probability = probability;
  settings.confidence = confidence;
  for (const std::string& text : require) {
    settings.requirements.push_back(
        readArgument("require", [&] { return parseRequirement(text); }));
  }
}

Campaign campaignOf(const CampaignSummary& summary, const CampaignManifest& manifest,
                    std::span<const Dispersion> dispersions, const std::vector<CampaignRow>& rows) {
  Campaign campaign;
  campaign.value = campaignSummaryValue(summary, manifest);
  campaign.rows = tableOf(CampaignRowSchema(dispersions).fields(), rows);
  return campaign;
}

Campaign dispersions(const py::object& file, const py::object& runs, const py::object& seed,
                     double turnTime_s, std::optional<double> limit_deg,
                     const std::optional<std::string>& guidance,
                     const std::optional<std::vector<std::string>>& know, bool retarget,
                     const Vehicle* vehicle, py::object thrust, std::optional<long long> jobs,
                     double minRemainingPropellant_kg, const std::vector<std::string>& require,
                     double probability, double confidence, const py::object& csv) {
  CampaignSettings settings;
  runsOf(runs, settings);
  settings.seed = campaignNumberOf(seed, "seed", "the seed");
  settings.turnTime_s = turnTime_s;
  settings.limit_deg = limit_deg;
  guidanceOf(guidance, retarget, know, settings);
  judgingSettings(minRemainingPropellant_kg, require, probability, confidence, settings);
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  const std::string path = pathOf(file);
  const DispersionFile read = readDispersions(path, flying.vehicle());
  // The CSV and its manifest are created before the first run, as the
  // command line creates them, and put into place when every run is flown.
  const CampaignRowSchema schema(read.dispersions);
  std::unique_ptr<CampaignWriter> writer;
  if (!csv.is_none()) {
    writer = openCampaignCsv(
        pathOf(csv), schema.header() + '\n',
        {{path, "the dispersion file"}, {flying.inputs().history.name(), "the thrust file"}});
  }
  KeptRows rows(settings.endRun - settings.firstRun, writer.get(), &schema);
  const CampaignResult result = withoutLock([&] {
    return runCampaign({flying.inputs(), read}, settings, threads, rows, temporaryFileSpill());
  });
  if (result.limit.verdict != Verdict::Converged) raiseNoDesign(turnTime_s, result.limit.verdict);
  if (writer) writer->commit(result.manifest);
  return campaignOf(result.summary, result.manifest, read.dispersions, rows.rows);
}

Campaign merge(const std::vector<py::object>& shards, const py::object& output,
               const Vehicle* vehicle, double minRemainingPropellant_kg,
               const std::vector<std::string>& require, double probability, double confidence) {
  CampaignSettings settings;
  judgingSettings(minRemainingPropellant_kg, require, probability, confidence, settings);
  std::vector<std::string> paths;
  for (const py::object& shard : shards) paths.push_back(pathOf(shard));
  const std::string merged = pathOf(output);
  refuseMergeClashes(paths, merged);
  SummaryBuilder builder(settings, temporaryFileSpill());
  // The campaign's dispersions, read again to check the rows, name the columns.
  std::vector<Dispersion> keys;
  std::vector<CampaignRow> rows;
  const SamplerOf samplerOf = [&keys, vehicle](const CampaignManifest& manifest,
                                               const std::string& csv) {
    Sampler sampler = vehicle != nullptr ? campaignSamplerOn(manifest, csv, *vehicle)
                                         : campaignSampler(manifest, csv);
    keys = sampler.dispersions();
    return sampler;
  };
  const MergedCampaign campaign = withoutLock([&] {
    return mergeCampaign(
        paths, merged,
        [&](const CampaignRow& row) {
          builder.add(row);
          rows.push_back(row);
        },
        samplerOf, judgingOf(settings));
  });
  return campaignOf(builder.finish(), campaign.manifest, keys, rows);
}

void bindMerge(py::module_& m, const CampaignSettings& defaults) {
  defineFunction(
      m, "merge", &merge,
      R"(Merges the CSV files of a campaign's shards, each written by dispersions()
with runs=range(A, B) and csv= (or by `ascent dispersions --runs A:B --csv`)
with its manifest beside it, into the CSV file `output` and its manifest:
the bytes `ascent dispersions --merge OUTPUT SHARD...` writes, which are those
of the campaign flown in one process. Every row is drawn again from the
campaign's dispersion file (found by the name in the manifest, from the
current directory or the shard's folder) and compared, on the vehicle file
the manifest names (the default vehicle for none) or on `vehicle`, the
Vehicle the shards were flown with when no file holds it. Raises InputError
(nothing written) for no shards, shards of different campaigns, runs in two
shards or in none, an interrupted shard, a row of values the campaign does
not draw, or an output that would be a shard, a manifest or each other; Error
(code: errno) for a shard or manifest that cannot be read. The judging
keywords are dispersions()'s. Returns a Campaign: to_dict() equals json.loads
of `ascent dispersions --merge ... --json` and `rows` holds the merged
rows.)",
      py::arg("shards"), py::arg("output"), py::kw_only(), py::arg("vehicle") = py::none(),
      py::arg("min_remaining_propellant_kg") = defaults.minRemainingPropellant_kg,
      py::arg("require") = std::vector<std::string>(),
      py::arg("probability") = defaults.probability, py::arg("confidence") = defaults.confidence);
}

}  // namespace

void bindDispersions(py::module_& m) {
  py::class_<Campaign, Result>(m, "Campaign",
                               R"(A dispersion campaign's result: the summary that
`ascent dispersions --json` prints (result["outputs"], to_dict()) and `rows`,
a Table with the columns of the campaign's CSV in its order.)")
      .def_readonly("rows", &Campaign::rows,
                    "run, every dispersed key, outcome, reason, perigee_m ... limit_deg (NaN "
                    "where a run reached no closed orbit)");
  const CampaignSettings defaults;
  defineFunction(m, "dispersions", &dispersions,
                 R"(Flies a dispersion campaign: the vehicle (the defaults for None) with the
values of the dispersion file `file` drawn for every run of `runs` (an int N:
runs 0 to N-1; or range(A, B)) from `seed` (an int, 0 to 2**64 - 1), at
turn_time_s. `guidance` says what the runs' guidance knows: "fixed" (None:
every run at limit_deg, or the limit targeted on the nominal vehicle),
"before_launch" (each run targeted on the nominal vehicle with the draws of
the keys known = "vehicle" or "launch_day" put in), "in_flight" (decided at
booster separation by a predictor that flies the rest from the state reached
with the known draws) or "omniscient" (every draw known; retarget=True says
the same). `know` is the classes known (None: ("vehicle", "launch_day")).
Runs on `jobs` threads
(None: the machine's cores; 1 to 1024) with the interpreter lock released;
the same seed and runs give the same bits for any `jobs`, and the same
numbers as the command line. Values the command line refuses raise
InputError (a ValueError) naming the setting, in its words.

A run is a success when it reaches orbit with at least
min_remaining_propellant_kg of propellant left. Each text of `require`
("OUTPUT>=VALUE" or "OUTPUT<=VALUE", OUTPUT a column of the rows from
perigee_m to limit_deg, VALUE in the unit that ends its name or with a unit
of its own: "perigee_m>=190km", "SC_M_kg>=120t") is verified by order
statistics over all runs, a run that is not a success failing it: met in
`probability` of the runs with `confidence` (as --require, --probability and
--confidence). The flight performance reserve is taken at the same
probability and confidence.

Returns a Campaign: to_dict() equals json.loads of `ascent dispersions FILE
--runs ... --json` for the same inputs (campaign {program, seed, first_run,
end_run, files and hashes, turn_time_s, guidance, limit_deg}, runs, outcomes,
success {share, wilson95, successes, propellant_shortfall,
min_remaining_propellant_kg}, outputs {name: {count, mean,
standard_deviation, min, max, percentiles}} over the orbits (null when there
is none), perigee_apogee {mean_m, covariance_m2, ellipses}, requirements
[{requirement, probability, confidence, runs, failures, order, bound,
verdict, runs_needed}], flight_performance_reserve {probability, confidence,
order, margin_kg, flight_performance_reserve_kg}); its vehicle_file is empty
and its thrust_file is the thrust history's name. `rows` is a Table of the
CSV's columns. Raises DispersionFileError for the file, ThrustFileError
(code 106) for a thrust history that cannot be flown, VehicleError for a
nominal vehicle whose values cannot, NoDesignError when no limit is given
and the nominal vehicle reaches no design orbit. Ctrl-C (KeyboardInterrupt)
ends the campaign between runs.

With `csv` (a path) the rows also go to that CSV file and the campaign's
manifest beside it (FILE.manifest.toml for FILE.csv): the bytes `ascent
dispersions FILE --runs ... --csv CSV` writes for the same inputs, so the
shards of a campaign flown anywhere merge() into the campaign flown in one
process. Both are written to temporary files created before the first run
and renamed into place when the campaign is complete; a campaign that fails
or is interrupted leaves the files that were there. A CSV or manifest that
would be the dispersion file, the thrust file or each other raises
InputError before anything is flown.)",
                 py::arg("file"), py::arg("runs"), py::arg("seed"), py::arg("turn_time_s"),
                 py::kw_only(), py::arg("limit_deg") = py::none(), py::arg("guidance") = py::none(),
                 py::arg("know") = py::none(), py::arg("retarget") = false,
                 py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
                 py::arg("jobs") = py::none(),
                 py::arg("min_remaining_propellant_kg") = defaults.minRemainingPropellant_kg,
                 py::arg("require") = std::vector<std::string>(),
                 py::arg("probability") = defaults.probability,
                 py::arg("confidence") = defaults.confidence, py::arg("csv") = py::none());
  bindMerge(m, defaults);
}

}  // namespace ascent::python

// ascent.dispersions: a dispersion campaign on threads, its summary as the
// command line's --json has it and its rows as the columns of its CSV.
#include <pybind11/stl.h>

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

Campaign dispersions(const py::object& file, const py::object& runs, const py::object& seed,
                     double turnTime_s, std::optional<double> limit_deg,
                     const std::optional<std::string>& guidance,
                     const std::optional<std::vector<std::string>>& know, bool retarget,
                     const Vehicle* vehicle, py::object thrust, std::optional<long long> jobs,
                     double minRemainingPropellant_kg, const std::vector<std::string>& require,
                     double probability, double confidence) {
  CampaignSettings settings;
  runsOf(runs, settings);
  settings.seed = campaignNumberOf(seed, "seed", "the seed");
  settings.turnTime_s = turnTime_s;
  settings.limit_deg = limit_deg;
  guidanceOf(guidance, retarget, know, settings);
  settings.minRemainingPropellant_kg = minRemainingPropellant_kg;
  settings.probability = probability;
  settings.confidence = confidence;
  for (const std::string& text : require) {
    settings.requirements.push_back(
        readArgument("require", [&] { return parseRequirement(text); }));
  }
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  const DispersionFile read = readDispersions(pathOf(file), flying.vehicle());
  KeptRows rows(settings.endRun - settings.firstRun);
  const CampaignResult result = withoutLock([&] {
    return runCampaign({flying.inputs(), read}, settings, threads, rows, temporaryFileSpill());
  });
  if (result.limit.verdict != Verdict::Converged) raiseNoDesign(turnTime_s, result.limit.verdict);
  Campaign campaign;
  campaign.value = campaignSummaryValue(result.summary, result.manifest);
  campaign.rows = tableOf(CampaignRowSchema(read.dispersions).fields(), rows.rows);
  return campaign;
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
  defineFunction(
      m, "dispersions", &dispersions,
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
ends the campaign between runs.)",
      py::arg("file"), py::arg("runs"), py::arg("seed"), py::arg("turn_time_s"), py::kw_only(),
      py::arg("limit_deg") = py::none(), py::arg("guidance") = py::none(),
      py::arg("know") = py::none(), py::arg("retarget") = false, py::arg("vehicle") = nullptr,
      py::arg("thrust") = py::none(), py::arg("jobs") = py::none(),
      py::arg("min_remaining_propellant_kg") = defaults.minRemainingPropellant_kg,
      py::arg("require") = std::vector<std::string>(),
      py::arg("probability") = defaults.probability, py::arg("confidence") = defaults.confidence);
}

}  // namespace ascent::python

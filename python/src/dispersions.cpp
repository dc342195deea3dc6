// ascent.dispersions: a dispersion campaign on threads, its summary as the
// command line's --json has it and its rows as the columns of its CSV.
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/campaign_files.h"
#include "bindings.h"

namespace ascent::python {

namespace {

// The result of dispersions(): the summary, and the rows as a Table.
struct Campaign : Result {
  Table rows;
};

// A Python int of any size (anything operator.index takes, a flag aside)
// read as the command line reads its digits: outside 0 to 2^64 - 1 it is
// refused in the command line's words, never wrapped.
std::uint64_t wholeOf(const py::handle& number, const char* what, const char* keyword) {
  PyObject* whole = py::isinstance<py::bool_>(number) ? nullptr : PyNumber_Index(number.ptr());
  if (whole == nullptr) {
    PyErr_Clear();
    throw py::type_error(std::string(keyword) + " must be an int");
  }
  const std::string digits = py::str(py::reinterpret_steal<py::object>(whole)).cast<std::string>();
  std::uint64_t value = 0;
  const std::string problem = campaignNumberProblem(what, digits, value);
  if (!problem.empty()) throw py::value_error(problem);
  return value;
}

// Runs first <= i < end from an int N (0 to N-1) or a range with step 1.
void runsOf(const py::object& runs, std::uint64_t& first, std::uint64_t& end) {
  if (py::isinstance<py::int_>(runs) && !py::isinstance<py::bool_>(runs)) {
    first = 0, end = wholeOf(runs, "the run", "runs");
    return;
  }
  if (py::isinstance(runs, py::module_::import("builtins").attr("range"))) {
    if (!py::int_(1).equal(runs.attr("step"))) {
      throw py::value_error("runs must be a range(A, B) with 0 <= A < B and step 1");
    }
    first = wholeOf(runs.attr("start"), "the run", "runs");
    end = wholeOf(runs.attr("stop"), "the run", "runs");
    return;
  }
  throw py::type_error("runs must be an int N (runs 0 to N-1) or a range(A, B)");
}

DispersionFile readDispersions(const std::string& path, const Vehicle& nominal) {
  try {
    return readDispersionFile(path, nominal);
  } catch (const InputError& error) {
    raise("DispersionFileError", error.what(),
          py::dict(py::arg("problems") = error.problems(), py::arg("path") = path));
  } catch (const Error& error) {
    raise("DispersionFileError", error.what(),
          py::dict(py::arg("code") = error.code(), py::arg("path") = path));
  }
}

// How the summary judges the runs: --reserve, --require, --probability and
// --confidence.
struct SignOff {
  double minRemainingPropellant_kg;
  std::vector<std::string> require;
  double probability, confidence;
};

// The settings as the command line would take them, refused in its words.
CampaignSettings campaignSettings(const py::object& runs, const py::object& seed, double turnTime_s,
                                  std::optional<double> limit_deg, bool retarget,
                                  std::optional<long long> jobs, const SignOff& signOff) {
  CampaignSettings settings;
  runsOf(runs, settings.firstRun, settings.endRun);
  settings.seed = wholeOf(seed, "the seed", "seed");
  settings.turnTime_s = turnTime_s;
  settings.limit_deg = limit_deg;
  settings.retarget = retarget;
  settings.minRemainingPropellant_kg = signOff.minRemainingPropellant_kg;
  settings.probability = signOff.probability;
  settings.confidence = signOff.confidence;
  for (const std::string& text : signOff.require) {
    try {
      settings.requirements.push_back(campaignRequirement(text));
    } catch (const std::invalid_argument& problem) {
      throw py::value_error(problem.what());
    }
  }
  if (jobs) {
    // 0 stands for the machine's cores only when no count is given.
    const auto* domain = findDomain(campaignSettingsDomain(), "jobs");
    if (std::string problem = domainProblem(*domain, static_cast<double>(*jobs));
        !problem.empty()) {
      throw py::value_error(problem);
    }
    settings.jobs = static_cast<unsigned>(*jobs);
  }
  if (std::string problem = campaignSettingsProblem(settings); !problem.empty()) {
    throw py::value_error(problem);
  }
  return settings;
}

Campaign dispersions(const py::object& file, const py::object& runs, const py::object& seed,
                     double turnTime_s, std::optional<double> limit_deg, bool retarget,
                     const Vehicle* vehicle, py::object thrust, std::optional<long long> jobs,
                     double reserve_kg, std::vector<std::string> require, double probability,
                     double confidence) {
  CampaignSettings settings =
      campaignSettings(runs, seed, turnTime_s, limit_deg, retarget, jobs,
                       SignOff{reserve_kg, std::move(require), probability, confidence});
  const Vehicle nominal = vehicleToFly(vehicle);
  const DispersionFile read = readDispersions(pathOf(file), nominal);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);

  const CampaignLimit limit =
      withoutLock([&] { return settleCampaignLimit(records, nominal, settings); });
  if (limit.verdict != Verdict::Converged) {
    raise("NoDesignError", nominalLimitProblem(turnTime_s, limit.verdict) + ": give limit_deg",
          py::dict(py::arg("verdict") = std::string(verdictName(limit.verdict)),
                   py::arg("turn_time_s") = turnTime_s));
  }
  const Sampler sampler(nominal, read.dispersions, read.correlations);
  const CampaignRowSchema schema(read.dispersions);
  // A Vehicle object was read from no file the campaign can name.
  const CampaignManifest manifest =
      describeCampaign(settings, read, "", nominal, records.name(), records);

  std::vector<CampaignRow> rows;
  rows.reserve(std::min<std::uint64_t>(settings.endRun - settings.firstRun, 1 << 20));
  SummaryBuilder builder(settings);
  CampaignSummary summary;
  // Rows are delivered on this thread: there, between runs, Python's signal
  // handlers run (Ctrl-C ends the campaign with KeyboardInterrupt).
  std::atomic<bool> interrupted{false};
  {
    py::gil_scoped_release unlocked;
    runCampaign(
        records, sampler, settings,
        [&](const CampaignRow& row) {
          builder.add(row);
          rows.push_back(row);
          py::gil_scoped_acquire locked;
          if (PyErr_CheckSignals() != 0) interrupted = true;
        },
        [&interrupted] { return interrupted.load(); });
    if (!interrupted) summary = builder.finish();
  }
  if (interrupted) throw py::error_already_set();
  Campaign campaign;
  campaign.value = campaignSummaryValue(summary, manifest);
  campaign.rows = tableOf(schema.fields(), rows);
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
  m.def("dispersions", &dispersions, py::arg("file"), py::arg("runs"), py::arg("seed"),
        py::arg("turn_time_s"), py::kw_only(), py::arg("limit_deg") = py::none(),
        py::arg("retarget") = false, py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
        py::arg("jobs") = py::none(), py::arg("reserve_kg") = 0.0,
        py::arg("require") = std::vector<std::string>(),
        py::arg("probability") = defaultRequirementProbability,
        py::arg("confidence") = defaultRequirementConfidence,
        R"(Flies a dispersion campaign: the vehicle (the defaults for None) with the
values of the dispersion file `file` drawn for every run of `runs` (an int N:
runs 0 to N-1; or range(A, B)) from `seed` (an int, 0 to 2**64 - 1), at
turn_time_s, every run at limit_deg (None: the limit targeted on the nominal
vehicle) or, with retarget=True, targeted again. Runs on `jobs` threads (None: the machine's
cores; 1 to 1024) with the interpreter lock released; the same seed and runs
give the same bits for any `jobs`, and the same numbers as the command line.
Values the command line refuses raise ValueError in its words.

A run is a success when it reaches orbit with at least reserve_kg of
propellant left. Each text of `require` ("OUTPUT>=VALUE" or "OUTPUT<=VALUE",
OUTPUT a column of the rows from perigee_m to limit_deg) is verified by order
statistics over all runs, a run that is not a success failing it: met in
`probability` of the runs with `confidence` (as --require, --probability and
--confidence). The flight performance reserve is taken at the same
probability and confidence.

Returns a Campaign: to_dict() equals json.loads of `ascent dispersions FILE
--runs ... --json` for the same inputs (campaign {program, seed, first_run,
end_run, files and hashes, turn_time_s, guidance, limit_deg}, runs, outcomes,
success {probability, wilson95, successes, propellant_shortfall, reserve_kg},
outputs {name: {count, mean, standard_deviation, min, max, percentiles}} over
the orbits (null when there is none), perigee_apogee {mean_m, covariance_m2,
ellipses}, requirements [{requirement, probability, confidence, runs,
failures, order, bound, verdict, runs_needed}], flight_performance_reserve
{probability, confidence, margin_kg, reserve_kg}); its vehicle_file is empty
and its thrust_file is the thrust history's name. `rows` is a Table of the
CSV's columns. Raises DispersionFileError for the file, ThrustFileError (code
106) for a thrust history that cannot be flown, VehicleError for a nominal
vehicle whose values cannot, NoDesignError when no limit is given and the
nominal vehicle reaches no design orbit. Ctrl-C (KeyboardInterrupt) ends
the campaign between runs.)");
}

}  // namespace ascent::python

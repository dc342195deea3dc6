// ascent.dispersions: a dispersion campaign on threads, its summary as the
// command line's --json has it and its rows as the columns of its CSV.
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "ascent/campaign.h"
#include "ascent/campaign_files.h"
#include "bindings.h"

namespace ascent::python {

namespace {

// The result of dispersions(): the summary, and the rows as a Table.
struct Campaign : Result {
  Table rows;
};

// Runs first <= i < end from an int N (0 to N-1) or a range with step 1.
void runsOf(const py::object& runs, std::uint64_t& first, std::uint64_t& end) {
  if (py::isinstance<py::int_>(runs) && !py::isinstance<py::bool_>(runs)) {
    const long long n = runs.cast<long long>();
    if (n < 0) throw py::value_error("runs must be a number of runs N >= 1 or a range(A, B)");
    first = 0, end = static_cast<std::uint64_t>(n);
    return;
  }
  if (py::isinstance(runs, py::module_::import("builtins").attr("range"))) {
    const long long start = runs.attr("start").cast<long long>();
    const long long stop = runs.attr("stop").cast<long long>();
    if (runs.attr("step").cast<long long>() != 1 || start < 0 || stop < 0) {
      throw py::value_error("runs must be a range(A, B) with 0 <= A < B and step 1");
    }
    first = static_cast<std::uint64_t>(start), end = static_cast<std::uint64_t>(stop);
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

// The settings as the command line would take them, refused in its words.
CampaignSettings campaignSettings(const py::object& runs, std::uint64_t seed, double turnTime_s,
                                  std::optional<double> limitDeg, bool retarget,
                                  std::optional<long long> jobs) {
  CampaignSettings settings;
  runsOf(runs, settings.firstRun, settings.endRun);
  settings.seed = seed;
  settings.turnTime_s = turnTime_s;
  settings.limitDeg = limitDeg;
  settings.retarget = retarget;
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

Campaign dispersions(const py::object& file, const py::object& runs, std::uint64_t seed,
                     double turnTime_s, std::optional<double> limitDeg, bool retarget,
                     const Vehicle* vehicle, py::object thrust, std::optional<long long> jobs) {
  CampaignSettings settings = campaignSettings(runs, seed, turnTime_s, limitDeg, retarget, jobs);
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
  SummaryBuilder builder;
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
        py::arg("jobs") = py::none(),
        R"(Flies a dispersion campaign: the vehicle (the defaults for None) with the
values of the dispersion file `file` drawn for every run of `runs` (an int N:
runs 0 to N-1; or range(A, B)) from `seed`, at turn_time_s, every run at
limit_deg (None: the limit targeted on the nominal vehicle) or, with
retarget=True, targeted again. Runs on `jobs` threads (None: the machine's
cores; 1 to 1024) with the interpreter lock released; the same seed and runs
give the same bits for any `jobs`, and the same numbers as the command line.
Values the command line refuses raise ValueError in its words.

Returns a Campaign: to_dict() equals json.loads of `ascent dispersions FILE
--runs ... --json` for the same inputs (campaign {program, seed, first_run,
end_run, files and hashes, turn_time_s, guidance, limit_deg}, runs, outcomes,
success {probability, wilson95}, outputs {name: {count, mean,
standard_deviation, min, max, percentiles}}, perigee_apogee {mean_m,
covariance_m2, ellipses}); its vehicle_file is empty and its thrust_file is
the thrust history's name. `rows` is a Table of the CSV's columns. Raises
DispersionFileError for the file, ThrustFileError (code 106) for a thrust
history that cannot be flown, VehicleError for a nominal vehicle whose values
cannot, NoDesignError when no limit is given and the nominal vehicle reaches
no design orbit. Ctrl-C (KeyboardInterrupt) ends
the campaign between runs.)");
}

}  // namespace ascent::python

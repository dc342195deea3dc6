// ascent.dispersions: a dispersion campaign on threads, its rows as numpy
// columns and its summary as Python values.
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

#include "ascent/campaign.h"
#include "ascent/files.h"
#include "bindings.h"

namespace ascent::python {

namespace {

// Runs first <= i < end from an int N (0 to N-1) or a range with step 1.
void runsOf(const py::object& runs, std::uint64_t& first, std::uint64_t& end) {
  if (py::isinstance<py::int_>(runs) && !py::isinstance<py::bool_>(runs)) {
    const long long n = runs.cast<long long>();
    if (n < 1) throw py::value_error("runs must be at least 1");
    first = 0, end = static_cast<std::uint64_t>(n);
    return;
  }
  if (py::isinstance(runs, py::module_::import("builtins").attr("range"))) {
    const long long start = runs.attr("start").cast<long long>();
    const long long stop = runs.attr("stop").cast<long long>();
    if (runs.attr("step").cast<long long>() != 1 || start < 0 || !(start < stop)) {
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

py::dict statistics(const OutputStatistics& s) {
  py::dict percentiles;
  for (std::size_t j = 0; j < std::size(summaryPercentiles); ++j) {
    percentiles[py::float_(summaryPercentiles[j])] = s.percentiles[j];
  }
  return py::dict(py::arg("count") = s.count, py::arg("mean") = s.mean,
                  py::arg("standard_deviation") = s.standardDeviation, py::arg("min") = s.min,
                  py::arg("max") = s.max, py::arg("percentiles") = percentiles);
}

py::dict summaryObject(const CampaignSummary& s) {
  py::dict outcomes, outputs;
  for (std::size_t c = 0; c < std::size(s.byClass); ++c) {
    outcomes[py::str(std::string(flightClassName(static_cast<FlightClass>(c))))] = s.byClass[c];
  }
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    outputs[py::str(std::string(campaignOutputName(static_cast<CampaignOutput>(k))))] =
        statistics(s.outputs[k]);
  }
  py::list ellipses;
  for (const Ellipse& e : s.ellipses) {
    ellipses.append(py::dict(py::arg("sigmas") = e.sigmas, py::arg("semi_major_m") = e.semiMajor_m,
                             py::arg("semi_minor_m") = e.semiMinor_m,
                             py::arg("angle_deg") = e.angleDeg));
  }
  py::dict summary;
  summary["runs"] = s.runs;
  summary["outcomes"] = outcomes;
  summary["success"] = py::dict(py::arg("probability") = s.successProbability,
                                py::arg("wilson95") = py::make_tuple(s.wilsonLow, s.wilsonHigh));
  summary["outputs"] = outputs;
  summary["perigee_apogee"] = py::dict(
      py::arg("mean_m") = py::make_tuple(s.meanPerigee_m, s.meanApogee_m),
      py::arg("covariance_m2") = py::make_tuple(s.covariance[0], s.covariance[1], s.covariance[2]),
      py::arg("ellipses") = ellipses);
  return summary;
}

// The rows as columns under the names of the campaign's CSV header.
Table rowTable(const std::vector<CampaignRow>& rows, const std::vector<Dispersion>& dispersions) {
  Table t;
  t.rows = rows.size();
  std::vector<std::int64_t> run;
  for (const CampaignRow& row : rows) run.push_back(static_cast<std::int64_t>(row.run));
  t.columns["run"] = column(std::move(run));
  for (std::size_t k = 0; k < dispersions.size(); ++k) {
    std::vector<double> values;
    for (const CampaignRow& row : rows) values.push_back(row.values[k]);
    t.columns[py::str(dispersions[k].key)] = column(std::move(values));
  }
  py::list outcome, reason;
  for (const CampaignRow& row : rows) {
    outcome.append(py::str(std::string(flightClassName(row.flightClass))));
    reason.append(py::str(row.reason));
  }
  const py::object array = py::module_::import("numpy").attr("array");
  t.columns["outcome"] = array(outcome, "U");
  t.columns["reason"] = array(reason, "U");
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    std::vector<double> values;
    for (const CampaignRow& row : rows) values.push_back(row.outputs[k]);
    t.columns[py::str(std::string(campaignOutputName(static_cast<CampaignOutput>(k))))] =
        column(std::move(values));
  }
  return t;
}

py::dict dispersions(const py::object& file, const py::object& runs, std::uint64_t seed,
                     double turnTime_s, std::optional<double> limitDeg, bool retarget,
                     const Vehicle* vehicle, py::object thrust, unsigned jobs) {
  CampaignSettings settings;
  runsOf(runs, settings.firstRun, settings.endRun);
  if (const std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) {
    throw py::value_error(problem);
  }
  if (retarget && limitDeg) throw py::value_error("give limit_deg or retarget, not both");
  if (limitDeg && !std::isfinite(*limitDeg)) throw py::value_error("limit_deg must be finite");
  settings.seed = seed;
  settings.turnTime_s = turnTime_s;
  settings.retarget = retarget;
  settings.jobs = jobs;
  const Vehicle nominal = vehicleToFly(vehicle);
  const std::string path = pathOf(file);
  const DispersionFile read = readDispersions(path, nominal);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);

  // The limit every run flies: given, or targeted on the nominal vehicle.
  if (limitDeg) settings.limitDeg = *limitDeg;
  if (!retarget && !limitDeg) {
    TargetRun run;
    {
      py::gil_scoped_release unlocked;
      run = targetTurnTime(records, nominal, turnTime_s, settings.target);
    }
    if (run.verdict != Verdict::Converged || run.answer() == nullptr) {
      const std::string verdict(verdictName(run.verdict));
      raise("NoDesignError",
            "the nominal vehicle reaches no design orbit at turn time " +
                py::repr(py::float_(turnTime_s)).cast<std::string>() + " s (" + verdict +
                "): give limit_deg",
            py::dict(py::arg("verdict") = verdict, py::arg("turn_time_s") = turnTime_s));
    }
    settings.limitDeg = run.answer()->limitDeg;
  }
  const Sampler sampler(nominal, read.dispersions, read.correlations);

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

  py::dict result = summaryObject(summary);
  py::dict campaign;
  campaign["seed"] = seed;
  campaign["first_run"] = settings.firstRun;
  campaign["end_run"] = settings.endRun;
  campaign["dispersion_file"] = read.path;
  campaign["dispersion_hash"] = read.hash;
  campaign["vehicle_hash"] = vehicleHash(nominal);
  campaign["turn_time_s"] = turnTime_s;
  campaign["guidance"] = retarget ? "retarget" : "limit";
  campaign["limit_deg"] = retarget ? py::object(py::none()) : py::float_(settings.limitDeg);
  result["campaign"] = campaign;
  result["rows"] = py::cast(rowTable(rows, read.dispersions));
  return result;
}

}  // namespace

void bindDispersions(py::module_& m) {
  m.def("dispersions", &dispersions, py::arg("file"), py::arg("runs"), py::arg("seed"),
        py::arg("turn_time_s"), py::kw_only(), py::arg("limit_deg") = py::none(),
        py::arg("retarget") = false, py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
        py::arg("jobs") = 0u,
        R"(Flies a dispersion campaign: the vehicle (the defaults for None) with the
values of the dispersion file `file` drawn for every run of `runs` (an int N:
runs 0 to N-1; or range(A, B)) from `seed`, at turn_time_s, every run at
limit_deg (None: the limit targeted on the nominal vehicle) or, with
retarget=True, targeted again. Runs on `jobs` threads (0: the machine's
cores) with the interpreter lock released; the same seed and runs give the
same bits for any `jobs`, and the same numbers as the command line.

Returns a dict: "rows", a Table with the columns of the campaign's CSV (run,
every dispersed key, outcome, reason, perigee_m ... limit_deg; NaN where a
run reached no closed orbit); "runs"; "outcomes" (runs by class); "success"
(probability, wilson95: its 95 % interval); "outputs" (per output: count,
mean, standard_deviation, min, max, percentiles {0.1: ..., 99.9: ...});
"perigee_apogee" (mean_m, covariance_m2, ellipses); "campaign" (seed, runs,
hashes, guidance and limit_deg flown). Raises DispersionFileError for the
file, NoDesignError when no limit is given and the nominal vehicle reaches no
design orbit. Ctrl-C (KeyboardInterrupt) ends the campaign between runs.)");
}

}  // namespace ascent::python

// ascent.sweep: every turn time of a range or a list targeted, one row each,
// on threads: the rows of `ascent sweep`'s CSV as a Table.
#include <pybind11/stl.h>

#include <atomic>

#include "bindings.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::vector<double> turnTimesOf(const py::object& turnTimes) {
  if (py::isinstance<py::str>(turnTimes)) return turnTimeRange(turnTimes.cast<std::string>());
  const Doubles times = turnTimes.cast<Doubles>();
  if (times.ndim() != 1) throw py::value_error("turn_times must be one-dimensional");
  return std::vector<double>(times.data(), times.data() + times.size());
}

py::object sweep(const py::object& turnTimes, double altitude_m, double tolerance_m,
                 int maxMissions, double firstGuess_deg, double minimumPerigee_m,
                 const std::optional<double>& dynamicPressureLimit_Pa,
                 const std::optional<std::string>& shard, const Vehicle* vehicle, py::object thrust,
                 const std::optional<long long>& jobs) {
  SweepSettings settings;
  settings.turnTimes = turnTimesOf(turnTimes);
  settings.search = {altitude_m,       tolerance_m,
                     maxMissions,      firstGuess_deg,
                     minimumPerigee_m, dynamicPressureLimit(dynamicPressureLimit_Pa)};
  settings.jobs = jobsOf(jobs);
  if (shard) settings.shard = parseShard(*shard);
  if (const std::string problem = settingsProblem(settings); !problem.empty()) {
    throw py::value_error(problem);
  }
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);

  std::vector<SweepRow> rows;
  // Rows are delivered on this thread: there, between rows, Python's signal
  // handlers run (Ctrl-C ends the sweep with KeyboardInterrupt).
  std::atomic<bool> interrupted{false};
  {
    py::gil_scoped_release unlocked;
    ascent::sweep(
        records, flown, settings,
        [&rows, &interrupted](const SweepRow& row) {
          rows.push_back(row);
          py::gil_scoped_acquire locked;
          if (PyErr_CheckSignals() != 0) interrupted = true;
        },
        [&interrupted] { return interrupted.load(); });
  }
  if (interrupted) throw py::error_already_set();
  const std::size_t best = bestDesign(rows);
  py::object table = py::cast(tableOf(sweepSchema(), rows));
  table.attr("best") =
      best < rows.size() ? py::cast(Result{toValue(sweepSchema(), rows[best])}) : py::none();
  return table;
}

}  // namespace

unsigned jobsOf(const std::optional<long long>& jobs) {
  if (!jobs) return 0;
  if (const std::string problem = domainProblem(jobsDomain().front(), static_cast<double>(*jobs));
      !problem.empty()) {
    throw py::value_error(problem);
  }
  return static_cast<unsigned>(*jobs);
}

void bindSweep(py::module_& m) {
  m.def("sweep", &sweep, py::arg("turn_times"), py::kw_only(), py::arg("altitude_m") = 200e3,
        py::arg("tolerance_m") = 100.0, py::arg("max_missions") = 25,
        py::arg("first_guess_deg") = 25.0, py::arg("min_perigee_m") = 100e3,
        py::arg("max_dynamic_pressure_Pa") = py::none(), py::arg("shard") = py::none(),
        py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(), py::arg("jobs") = py::none(),
        R"(Targets every turn time of turn_times, a range "FROM:TO:STEP" (as `ascent
sweep --turn-time` reads it) or a sequence of seconds, each from the same first
guess as target(), on `jobs` threads (None: the machine's cores; else 1 to
1024), with the interpreter lock released; shard "I/N" flies every N-th turn
time from the I-th. The settings are in SI units (altitude_m, tolerance_m,
min_perigee_m, max_dynamic_pressure_Pa: None for no limit, a design over it
is "infeasible"); a value outside its domain is a ValueError in the words of
the command line, a thrust history that cannot be flown ThrustFileError
(code 106), a vehicle whose values cannot VehicleError.

Returns a Table whose columns are the CSV's header, in order, with the same
numbers (NaN where the CSV's cell is empty): turn_time_s, limit_deg, verdict,
missions, perigee_m, apogee_m, average_altitude_m, remaining_propellant_kg,
SC_M_kg, max_dynamic_pressure_Pa, max_acceleration_mps2, max_force_N.
table.best is the row of the converged design with the largest spacecraft
mass among those with propellant left, as a Result (best["SC_M_kg"],
best.to_dict()), or None. The rows are the same for any `jobs`. Ctrl-C
(KeyboardInterrupt) ends the sweep between rows.)");
}

}  // namespace ascent::python

// ascent.sweep: every turn time of a range or a list targeted, one row each,
// on threads: the rows of `ascent sweep`'s CSV as a Table.
#include "ascent/sweep.h"

#include <pybind11/stl.h>

#include <vector>

#include "ascent/grammar.h"
#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A "FROM:TO:STEP" text as --turn-time reads it, or a sequence of seconds.
std::vector<double> turnTimesOf(const py::object& turnTimes) {
  if (py::isinstance<py::str>(turnTimes)) {
    return readArgument("turn_times", [&] { return turnTimeRange(turnTimes.cast<std::string>()); });
  }
  const Doubles times = turnTimes.cast<Doubles>();
  if (times.ndim() != 1) throw InputError({"turn_times must be one-dimensional"}, "turn_times");
  return std::vector<double>(times.data(), times.data() + times.size());
}

// The rows as they are delivered, in turn-time order.
class Rows final : public Interruptible<SweepObserver> {
 public:
  void row(const SweepRow& row) override { rows.push_back(row); }
  std::vector<SweepRow> rows;
};

py::object sweep(const py::object& turnTimes, double targetAltitude_m, double tolerance_m,
                 int maxMissions, double firstGuess_deg, double minimumPerigee_m,
                 const std::optional<double>& dynamicPressureLimit_Pa,
                 const std::optional<std::string>& shard, const Vehicle* vehicle, py::object thrust,
                 const std::optional<long long>& jobs) {
  SweepSettings settings;
  settings.turnTimes = turnTimesOf(turnTimes);
  settings.search = searchSettings(targetAltitude_m, tolerance_m, maxMissions, firstGuess_deg,
                                   minimumPerigee_m, dynamicPressureLimit_Pa);
  if (shard) settings.shard = readArgument("shard", [&] { return parseShard(*shard); });
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  Rows rows;
  const SweepResult result =
      withoutLock([&] { return runSweep(flying.inputs(), settings, threads, rows); });
  py::object table = py::cast(tableOf(sweepSchema(), rows.rows));
  table.attr("best") =
      result.found ? py::cast(Result{toValue(sweepSchema(), result.best)}) : py::none();
  return table;
}

}  // namespace

void bindSweep(py::module_& m) {
  const SearchSettings search;
  defineFunction(
      m, "sweep", &sweep,
      R"(Targets every turn time of turn_times, a range "FROM:TO:STEP" (as `ascent
sweep --turn-time` reads it: "5:40:1", "5s:40s:1s") or a sequence of
seconds, each from the same first guess as target(), on `jobs` threads
(None: the machine's cores; else 1 to 1024), with the interpreter lock
released; shard "I/N" flies every N-th turn time from the I-th. The settings are target()'s, in SI units
(dynamic_pressure_limit_Pa: None for no limit, a design over it is
"infeasible"); a value outside its domain raises InputError (a ValueError)
naming the setting, in the words of the command line, a thrust history that
cannot be flown ThrustFileError (code 106), a vehicle whose values cannot
VehicleError.

Returns a Table whose columns are the CSV's header, in order, with the same
numbers (NaN where the CSV's cell is empty): turn_time_s, limit_deg, verdict,
missions, perigee_m, apogee_m, average_altitude_m, remaining_propellant_kg,
SC_M_kg, max_dynamic_pressure_Pa, max_acceleration_mps2, max_force_N.
table.best is the row of the converged design with the largest spacecraft
mass among those with propellant left, as a Result (best["SC_M_kg"],
best.to_dict()), or None. The rows are the same for any `jobs`. Ctrl-C
(KeyboardInterrupt) ends the sweep between rows.)",
      py::arg("turn_times"), py::kw_only(), py::arg("target_altitude_m") = search.targetAltitude_m,
      py::arg("tolerance_m") = search.tolerance_m, py::arg("max_missions") = search.maxMissions,
      py::arg("first_guess_deg") = search.firstGuess_deg,
      py::arg("minimum_perigee_m") = search.minimumPerigee_m,
      py::arg("dynamic_pressure_limit_Pa") = py::none(), py::arg("shard") = py::none(),
      py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(), py::arg("jobs") = py::none());
}

}  // namespace ascent::python

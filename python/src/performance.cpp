// ascent.performance: the heaviest spacecraft at every circular orbit
// altitude, as the object `ascent performance --json` prints and its CSV's
// rows as a Table.
#include "ascent/performance.h"

#include <pybind11/stl.h>

#include "ascent/grammar.h"
#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

struct Performance : Result {
  Table rows;
};

// A "FROM:TO:STEP" text in km (or with units), as --altitude reads it, or metres.
std::vector<double> altitudesOf(const py::object& altitudes) {
  if (py::isinstance<py::str>(altitudes)) {
    return readArgument("altitudes_m",
                        [&] { return altitudeRange(altitudes.cast<std::string>()); });
  }
  const Doubles metres = altitudes.cast<Doubles>();
  if (metres.ndim() != 1) throw InputError({"altitudes_m must be one-dimensional"}, "altitudes_m");
  return std::vector<double>(metres.data(), metres.data() + metres.size());
}

Performance performance(const py::object& altitudes, double from_s, double to_s, int scanPoints,
                        double turnTimeTolerance_s, double tolerance_m, int maxMissions,
                        double firstGuess_deg, double minimumPerigee_m,
                        const std::optional<double>& dynamicPressureLimit_Pa,
                        const Vehicle* vehicle, py::object thrust,
                        const std::optional<long long>& jobs) {
  PerformanceSettings settings;
  settings.altitudes_m = altitudesOf(altitudes);
  OptimizeSettings& optimize = settings.optimize;
  optimize.from_s = from_s;
  optimize.to_s = to_s;
  optimize.scanPoints = scanPoints;
  optimize.turnTimeTolerance_s = turnTimeTolerance_s;
  // Each altitude is targeted in turn.
  optimize.search = searchSettings(optimize.search.targetAltitude_m, tolerance_m, maxMissions,
                                   firstGuess_deg, minimumPerigee_m, dynamicPressureLimit_Pa);
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  Interruptible<> observer;
  const PerformanceResult result =
      withoutLock([&] { return runPerformance(flying.inputs(), settings, threads, &observer); });
  Performance p;
  p.value = performanceValue(result);
  p.rows = tableOf(performanceRowSchema(), result.rows);
  return p;
}

}  // namespace

void bindPerformance(py::module_& m) {
  py::class_<Performance, Result> performanceClass(m, "Performance",
                                                   R"(Payload against target altitude.

The attributes are the fields of `ascent performance --json`, under the same
names; to_dict() equals json.loads of its output for the same inputs. rows is
a Table with the columns of its CSV, one row per altitude.)");
  addFieldAttributes(performanceClass, performanceSchema(), {"rows"});
  performanceClass.def_readonly(
      "rows", &Performance::rows,
      "target_altitude_m, turn_time_s, limit_deg, SC_M_kg, remaining_propellant_kg, perigee_m, "
      "apogee_m (NaN at an altitude without a design), missions, verdict, at_range_edge");

  const OptimizeSettings defaults;
  const SearchSettings& search = defaults.search;
  defineFunction(m, "performance", &performance,
                 R"(The heaviest spacecraft at every circular orbit of altitudes_m, a sequence of
metres or a range "FROM:TO:STEP" in km (as `ascent performance --altitude`
reads it: "150:225:5", "150km:225km:5000m"): at each altitude the vehicle's guidance is aimed at it
(guidance.target_altitude_m) and optimize() searches from_s to to_s for the
turn time of the largest spacecraft mass. The scans of all altitudes share
`jobs` threads (None: the machine's cores; else 1 to 1024), with the
interpreter lock released; a row depends only on its altitude. The settings
are optimize()'s, in SI units; a value outside its domain raises InputError
(a ValueError) naming the setting, in the words of the command line.

Returns a Performance: to_dict() is the object `ascent performance --json`
prints for the same inputs (program, version, thrust_file, from_s, to_s,
constraints, missions, rows, vehicle), each also an attribute; .rows is a
Table with the columns of its CSV: target_altitude_m, turn_time_s,
limit_deg, SC_M_kg, remaining_propellant_kg, perigee_m, apogee_m (NaN at an
altitude without a design), missions, verdict (converged, or the verdict of
the turn time nearest to a design), at_range_edge. Ctrl-C
(KeyboardInterrupt) ends the study.)",
                 py::arg("altitudes_m"), py::kw_only(), py::arg("from_s") = defaults.from_s,
                 py::arg("to_s") = defaults.to_s, py::arg("scan_points") = defaults.scanPoints,
                 py::arg("turn_time_tolerance_s") = defaults.turnTimeTolerance_s,
                 py::arg("tolerance_m") = search.tolerance_m,
                 py::arg("max_missions") = search.maxMissions,
                 py::arg("first_guess_deg") = search.firstGuess_deg,
                 py::arg("minimum_perigee_m") = search.minimumPerigee_m,
                 py::arg("dynamic_pressure_limit_Pa") = py::none(), py::arg("vehicle") = nullptr,
                 py::arg("thrust") = py::none(), py::arg("jobs") = py::none());
}

}  // namespace ascent::python

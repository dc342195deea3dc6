// ascent.performance: the heaviest spacecraft at every circular orbit
// altitude, as the object `ascent performance --json` prints and its CSV's
// rows as a Table.
#include <pybind11/stl.h>

#include "bindings.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// A "FROM:TO:STEP" text in km, as --altitude reads it, or metres.
std::vector<double> altitudesOf(const py::object& altitudes) {
  if (py::isinstance<py::str>(altitudes)) return altitudeRange(altitudes.cast<std::string>());
  const Doubles metres = altitudes.cast<Doubles>();
  if (metres.ndim() != 1) throw py::value_error("altitudes_m must be one-dimensional");
  return std::vector<double>(metres.data(), metres.data() + metres.size());
}

py::object performance(const py::object& altitudes, double from_s, double to_s, int scanPoints,
                       double turnTimeTolerance_s, double tolerance_m, int maxMissions,
                       double firstGuess_deg, double minimumPerigee_m,
                       const std::optional<double>& dynamicPressureLimit_Pa, const Vehicle* vehicle,
                       py::object thrust, const std::optional<long long>& jobs) {
  PerformanceSettings settings;
  settings.altitudes_m = altitudesOf(altitudes);
  OptimizeSettings& search = settings.optimize;
  search.from_s = from_s;
  search.to_s = to_s;
  search.scanPoints = scanPoints;
  search.turnTimeTolerance_s = turnTimeTolerance_s;
  search.search.tolerance_m = tolerance_m;
  search.search.maxMissions = maxMissions;
  search.search.firstGuess_deg = firstGuess_deg;
  search.search.minimumPerigee_m = minimumPerigee_m;
  search.search.dynamicPressureLimit_Pa = dynamicPressureLimit(dynamicPressureLimit_Pa);
  return runDesignStudy(
      settings, jobs, vehicle, std::move(thrust),
      [](auto&&... study) { return ascent::performance(study...); },
      [&](const PerformanceResult& result, const DesignInputs& inputs) {
        py::object object = py::cast(Result{performanceValue(result, settings, inputs)});
        object.attr("rows") = py::cast(tableOf(performanceRowSchema(), result.rows));
        return object;
      });
}

}  // namespace

void bindPerformance(py::module_& m) {
  m.def("performance", &performance, py::arg("altitudes_m"), py::kw_only(), py::arg("from_s") = 5.0,
        py::arg("to_s") = 120.0, py::arg("scan_points") = 10,
        py::arg("turn_time_tolerance_s") = 1.0, py::arg("tolerance_m") = 100.0,
        py::arg("max_missions") = 25, py::arg("first_guess_deg") = 25.0,
        py::arg("min_perigee_m") = 100e3, py::arg("max_dynamic_pressure_Pa") = py::none(),
        py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(), py::arg("jobs") = py::none(),
        R"(The heaviest spacecraft at every circular orbit of altitudes_m, a sequence of
metres or a range "FROM:TO:STEP" in km (as `ascent performance --altitude`
reads it): at each altitude the vehicle's guidance is aimed at it
(guidance.target_altitude_m) and optimize() searches from_s to to_s for the
turn time of the largest spacecraft mass. The scans of all altitudes share
`jobs` threads (None: the machine's cores; else 1 to 1024), with the
interpreter lock released; a row depends only on its altitude. The settings
are in SI units; a value outside its domain is a ValueError in the words of
the command line.

Returns a Result: to_dict() is the object `ascent performance --json` prints
for the same inputs (program, version, thrust_file, from_s, to_s,
constraints when a limit is set, missions, rows, vehicle); .rows is a Table
with the columns of its CSV: target_altitude_m, turn_time_s, limit_deg,
SC_M_kg, remaining_propellant_kg, perigee_m, apogee_m (NaN at an altitude
without a design), missions, verdict (converged, or the verdict of the turn
time nearest to a design), at_range_edge. Ctrl-C (KeyboardInterrupt) ends
the study.)");
}

}  // namespace ascent::python

// ascent.optimize: the turn time that gives the heaviest spacecraft, as the
// object `ascent optimize --json` prints.
#include <pybind11/stl.h>

#include "bindings.h"

namespace ascent::python {

namespace {

py::object optimize(double from_s, double to_s, int scanPoints, double turnTimeTolerance_s,
                    double altitude_m, double tolerance_m, int maxMissions, double firstGuess_deg,
                    double minimumPerigee_m, const std::optional<double>& dynamicPressureLimit_Pa,
                    const Vehicle* vehicle, py::object thrust,
                    const std::optional<long long>& jobs) {
  OptimizeSettings settings;
  settings.from_s = from_s;
  settings.to_s = to_s;
  settings.scanPoints = scanPoints;
  settings.turnTimeTolerance_s = turnTimeTolerance_s;
  settings.search = {altitude_m,       tolerance_m,
                     maxMissions,      firstGuess_deg,
                     minimumPerigee_m, dynamicPressureLimit(dynamicPressureLimit_Pa)};
  return runDesignStudy(
      settings, jobs, vehicle, std::move(thrust),
      [](auto&&... study) { return optimizeTurnTime(study...); },
      [&](const OptimizeResult& result, const DesignInputs& inputs) {
        py::object object = py::cast(Result{optimizeValue(result, settings, inputs)});
        object.attr("candidates") = py::cast(tableOf(candidateSchema(), result.candidates));
        return object;
      });
}

}  // namespace

DesignInputs designInputs(const ThrustHistory& history, const Vehicle& vehicle) {
  return DesignInputs{history.name(), vehicleValue(vehicle)};
}

void bindOptimize(py::module_& m) {
  m.def("optimize", &optimize, py::arg("from_s") = 5.0, py::arg("to_s") = 120.0, py::kw_only(),
        py::arg("scan_points") = 10, py::arg("turn_time_tolerance_s") = 1.0,
        py::arg("altitude_m") = 200e3, py::arg("tolerance_m") = 100.0, py::arg("max_missions") = 25,
        py::arg("first_guess_deg") = 25.0, py::arg("min_perigee_m") = 100e3,
        py::arg("max_dynamic_pressure_Pa") = py::none(), py::arg("vehicle") = nullptr,
        py::arg("thrust") = py::none(), py::arg("jobs") = py::none(),
        R"(The turn time between from_s and to_s that gives the largest spacecraft mass
SC_M with propellant left and, when max_dynamic_pressure_Pa is not None, a
peak dynamic pressure within it (a design over it is "infeasible"): a coarse
scan of scan_points turn times on `jobs` threads (None: the machine's cores;
else 1 to 1024), then a golden-section search down to
turn_time_tolerance_s, with the interpreter lock released. The settings are
in SI units; a value outside its domain is a ValueError in the words of the
command line, a thrust history that cannot be flown ThrustFileError (code
106), a vehicle whose values cannot VehicleError.

Returns a Result: to_dict() is the object `ascent optimize --json` prints for
the same inputs (program, version, thrust_file, from_s, to_s, constraints
when a limit is set, found, missions, turn_times_targeted, scanned; when
found turn_time_s, limit_deg, SC_M_kg, SC_M_unrounded_kg, flat_top,
at_range_edge (the optimum is within turn_time_tolerance_s of from_s or
to_s), mission; candidates; vehicle), result["key"] reads one member, and
result.candidates is a Table of every turn time targeted (turn_time_s,
verdict, missions, limit_deg, SC_M_kg, SC_M_unrounded_kg; NaN without a
mission). Ctrl-C (KeyboardInterrupt) ends the search.)");
}

}  // namespace ascent::python

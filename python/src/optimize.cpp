// ascent.optimize: the turn time that gives the heaviest spacecraft, as the
// object `ascent optimize --json` prints.
#include "ascent/optimize.h"

#include <pybind11/stl.h>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

struct Optimum : Result {
  py::object mission;  // the optimum's mission as a Flight; None
  Table candidates;
};

Optimum optimize(double from_s, double to_s, int scanPoints, double turnTimeTolerance_s,
                 double targetAltitude_m, double tolerance_m, int maxMissions,
                 double firstGuess_deg, double minimumPerigee_m,
                 const std::optional<double>& dynamicPressureLimit_Pa, const Vehicle* vehicle,
                 py::object thrust, const std::optional<long long>& jobs) {
  OptimizeSettings settings;
  settings.from_s = from_s;
  settings.to_s = to_s;
  settings.scanPoints = scanPoints;
  settings.turnTimeTolerance_s = turnTimeTolerance_s;
  settings.search = searchSettings(targetAltitude_m, tolerance_m, maxMissions, firstGuess_deg,
                                   minimumPerigee_m, dynamicPressureLimit_Pa);
  const unsigned threads = jobsOf(jobs);
  const Flying flying(vehicle, std::move(thrust));
  Interruptible<> observer;
  const OptimizeResult result =
      withoutLock([&] { return runOptimize(flying.inputs(), settings, threads, &observer); });
  Optimum optimum;
  optimum.value = optimizeValue(result);
  optimum.mission = result.found()
                        ? flightObject(FlownMission{result.optimum().mission, result.thrustFile,
                                                    settings.search.minimumPerigee_m})
                        : py::none();
  optimum.candidates = tableOf(candidateSchema(), result.candidates);
  return optimum;
}

}  // namespace

void bindOptimize(py::module_& m) {
  py::class_<Optimum, Result> optimumClass(m, "Optimum",
                                           R"(The turn time of the heaviest spacecraft.

The attributes are the fields of `ascent optimize --json`, under the same
names; to_dict() equals json.loads of its output for the same inputs. mission
is the optimum's mission as a Flight, candidates a Table of every turn time
targeted (the numbers are None and NaN when none is found).)");
  addFieldAttributes(optimumClass, optimizeSchema(), {"mission", "candidates"});
  optimumClass
      .def_readonly("mission", &Optimum::mission,
                    "the optimum's mission as a Flight; None when none is found")
      .def_readonly("candidates", &Optimum::candidates,
                    "every turn time targeted: turn_time_s, verdict, missions, limit_deg, "
                    "SC_M_kg, SC_M_unrounded_kg (NaN without a mission)");

  const OptimizeSettings defaults;
  const SearchSettings& search = defaults.search;
  defineFunction(m, "optimize", &optimize,
                 R"(The turn time between from_s and to_s that gives the largest spacecraft mass
SC_M with propellant left and, when dynamic_pressure_limit_Pa is not None, a
peak dynamic pressure within it (a design over it is "infeasible"): a coarse
scan of scan_points turn times on `jobs` threads (None: the machine's cores;
else 1 to 1024), then a golden-section search down to
turn_time_tolerance_s, with the interpreter lock released. The search
settings are target()'s, in SI units; a value outside its domain raises
InputError (a ValueError) naming the setting, in the words of the command
line, a thrust history that cannot be flown ThrustFileError (code 106), a
vehicle whose values cannot VehicleError.

Returns an Optimum: to_dict() is the object `ascent optimize --json` prints
for the same inputs (program, version, thrust_file, from_s, to_s,
constraints, found, missions, turn_times_targeted, scanned; turn_time_s,
limit_deg, SC_M_kg, SC_M_unrounded_kg, flat_top, at_range_edge (the optimum
is within turn_time_tolerance_s of from_s or to_s) and mission, None when
none is found; candidates; vehicle), each also an attribute; .candidates is
a Table of every turn time targeted. Ctrl-C (KeyboardInterrupt) ends the
search.)",
                 py::arg("from_s") = defaults.from_s, py::arg("to_s") = defaults.to_s,
                 py::kw_only(), py::arg("scan_points") = defaults.scanPoints,
                 py::arg("turn_time_tolerance_s") = defaults.turnTimeTolerance_s,
                 py::arg("target_altitude_m") = search.targetAltitude_m,
                 py::arg("tolerance_m") = search.tolerance_m,
                 py::arg("max_missions") = search.maxMissions,
                 py::arg("first_guess_deg") = search.firstGuess_deg,
                 py::arg("minimum_perigee_m") = search.minimumPerigee_m,
                 py::arg("dynamic_pressure_limit_Pa") = py::none(), py::arg("vehicle") = nullptr,
                 py::arg("thrust") = py::none(), py::arg("jobs") = py::none());
}

}  // namespace ascent::python

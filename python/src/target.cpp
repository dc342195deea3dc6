// ascent.target: the angle-of-attack limit that reaches the wanted orbit at
// one turn time, and every mission its search flew, under the names of
// `ascent target --json`.
#include "ascent/target.h"

#include <pybind11/stl.h>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

struct Target : Result {
  py::object mission;  // the answer or the closest mission as a Flight; None
  py::list flown;      // every mission as a Flight
};

Target target(double turnTime_s, double targetAltitude_m, double tolerance_m, int maxMissions,
              double firstGuess_deg, double minimumPerigee_m,
              const std::optional<double>& dynamicPressureLimit_Pa, const Vehicle* vehicle,
              py::object thrust) {
  const TargetSettings settings{
      turnTime_s, searchSettings(targetAltitude_m, tolerance_m, maxMissions, firstGuess_deg,
                                 minimumPerigee_m, dynamicPressureLimit_Pa)};
  const Flying flying(vehicle, std::move(thrust));
  Interruptible<> observer;
  const TargetResult result =
      withoutLock([&] { return runTarget(flying.inputs(), settings, &observer); });
  Target t;
  t.value = targetValue(result);
  t.mission = py::none();
  const MissionResult* answer = result.run.answer();
  for (const MissionResult& mission : result.run.missions) {
    t.flown.append(
        flightObject(FlownMission{mission, result.thrustFile, result.search.minimumPerigee_m}));
    if (&mission == answer) t.mission = t.flown[t.flown.size() - 1];
  }
  return t;
}

}  // namespace

void bindTarget(py::module_& m) {
  py::class_<Target, Result> targetClass(
      m, "Target",
      R"(The limit found for one turn time and the missions flown to find it.

The attributes are the fields of `ascent target --json`, under the same
names. verdict: "converged", "outside_design", "unreachable",
"not_converged", "suborbital", "escape" or "infeasible". mission is the answer
(converged) or the closest mission to the target (None when no mission
reached an orbit); flown holds every mission in the order flown, as Flight
objects. to_dict() equals json.loads of `ascent target --json` for the same
inputs.)");
  addFieldAttributes(targetClass, targetSchema(), {"mission", "flown"});
  targetClass
      .def_readonly("mission", &Target::mission,
                    "the answer's or the closest mission as a Flight; None when no mission "
                    "reached an orbit")
      .def_readonly("flown", &Target::flown, "every mission flown, as Flights, in order")
      .def("__repr__", [](const Target& t) {
        return "Target(verdict=" + py::repr(toPython(t.value["verdict"])).cast<std::string>() +
               ", limit_deg=" + py::repr(toPython(t.value["limit_deg"])).cast<std::string>() +
               ", missions=" + std::to_string(t.flown.size()) + ")";
      });

  const SearchSettings search;
  defineFunction(
      m, "target", &target,
      R"(Finds the angle-of-attack limit whose mission has the wanted average
altitude (target_altitude_m within tolerance_m) at one turn time, flying at
most max_missions missions from first_guess_deg; an orbit whose perigee is
below minimum_perigee_m does not count; a design whose peak dynamic pressure
exceeds dynamic_pressure_limit_Pa (None: no limit) is "infeasible". Every
mission is the first of a run of its own. The interpreter lock is released
while searching. Raises InputError (a ValueError) naming the setting outside
its domain, in the command line's words; ThrustFileError (code 106) when the
thrust history cannot be flown, VehicleError when the vehicle's values
cannot, as the command line refuses them.)",
      py::arg("turn_time_s"), py::kw_only(), py::arg("target_altitude_m") = search.targetAltitude_m,
      py::arg("tolerance_m") = search.tolerance_m, py::arg("max_missions") = search.maxMissions,
      py::arg("first_guess_deg") = search.firstGuess_deg,
      py::arg("minimum_perigee_m") = search.minimumPerigee_m,
      py::arg("dynamic_pressure_limit_Pa") = py::none(), py::arg("vehicle") = nullptr,
      py::arg("thrust") = py::none());
}

}  // namespace ascent::python

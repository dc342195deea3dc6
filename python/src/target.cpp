// ascent.search: the angle-of-attack limit that reaches the wanted orbit at
// one turn time, and every mission its search flew, under the names of
// `ascent target --json`.
#include <pybind11/stl.h>

#include "bindings.h"

namespace ascent::python {

namespace {

struct Target {
  Value value;         // what `ascent target --json` prints
  py::object mission;  // the answer or the closest mission as a Flight; None
  py::list flown;      // every mission as a Flight
};

Target target(double turnTime_s, double altitude_m, double tolerance_m, int maxMissions,
              double firstGuess_deg, double minimumPerigee_m,
              const std::optional<double>& dynamicPressureLimit_Pa, const Vehicle* vehicle,
              py::object thrust) {
  const SearchSettings settings{altitude_m,       tolerance_m,
                                maxMissions,      firstGuess_deg,
                                minimumPerigee_m, dynamicPressureLimit(dynamicPressureLimit_Pa)};
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  TargetResult result;
  {
    py::gil_scoped_release unlocked;
    result = targetOrbit(records, flown, turnTime_s, settings);
  }
  Target t{targetValue(result, flown), py::none(), py::list()};
  const MissionResult* answer = result.run.answer();
  for (const MissionResult& mission : result.run.missions) {
    t.flown.append(
        flightObject(FlownMission{mission, result.thrustFile, settings.minimumPerigee_m}));
    if (&mission == answer) t.mission = t.flown[t.flown.size() - 1];
  }
  return t;
}

}  // namespace

double dynamicPressureLimit(const std::optional<double>& limit_Pa) {
  if (!limit_Pa) return noDynamicPressureLimit;
  // Checked as the command line checks a number typed: no infinity for none.
  const SettingDomain<SearchSettings>& d =
      *findDomain(searchSettingsDomain(), "max_dynamic_pressure_Pa");
  if (const std::string problem =
          domainProblem(d.what, *limit_Pa / d.siPerUnit, d.lowest / d.siPerUnit,
                        d.highest / d.siPerUnit, d.lowestIncluded, d.whole, d.unit);
      !problem.empty()) {
    throw py::value_error(problem);
  }
  return *limit_Pa;
}

SearchSettings targetSettings(double altitude_km, double tolerance_km, int maxMissions,
                              double firstGuess_deg, double minimumPerigee_km) {
  const SearchSettings settings{altitude_km * 1000, tolerance_km * 1000, maxMissions,
                                firstGuess_deg, minimumPerigee_km * 1000};
  if (const std::string problem = settingsProblem(settings); !problem.empty()) {
    throw py::value_error(problem);
  }
  return settings;
}

void bindTarget(py::module_& m) {
  py::class_<Target> targetClass(
      m, "Target",
      R"(The limit found for one turn time and the missions flown to find it.

The attributes are the fields of `ascent target --json`, under the same
names. verdict: "converged", "outside-design", "unreachable",
"not-converged", "suborbital", "escape" or "infeasible". mission is the answer (converged)
or the closest mission to the target (None when no mission reached an orbit);
flown holds every mission in the order flown, as Flight objects. to_dict()
equals json.loads of `ascent target --json` for the same inputs.)");
  for (const Field<TargetResult>& field : targetSchema()) {
    if (field.info.type == FieldType::Object || field.info.type == FieldType::List) continue;
    const std::string name(field.info.name);
    std::string doc(field.info.meaning);
    if (!field.info.nullWhen.empty()) doc += "; None when " + std::string(field.info.nullWhen);
    targetClass.def_property_readonly(
        name.c_str(), [name](const Target& t) { return toPython(t.value[name]); }, doc.c_str());
  }
  targetClass.def_readonly("mission", &Target::mission)
      .def_readonly("flown", &Target::flown)
      .def_property_readonly("vehicle",
                             [](const Target& t) { return toPython(t.value["vehicle"]); })
      .def_property_readonly(
          "constraints", [](const Target& t) { return toPython(t.value["constraints"]); },
          "{\"max_dynamic_pressure_Pa\": the limit} when one was set; None when none was")
      .def("to_dict", [](const Target& t) { return toPython(t.value); })
      .def("__repr__", [](const Target& t) {
        return "Target(verdict=" + py::repr(toPython(t.value["verdict"])).cast<std::string>() +
               ", limit_deg=" + py::repr(toPython(t.value["limit_deg"])).cast<std::string>() +
               ", missions=" + std::to_string(t.flown.size()) + ")";
      });

  m.def("target", &target, py::arg("turn_time_s"), py::kw_only(),
        py::arg("altitude_m") = SearchSettings().altitude_m,
        py::arg("tolerance_m") = SearchSettings().tolerance_m,
        py::arg("max_missions") = SearchSettings().maxMissions,
        py::arg("first_guess_deg") = SearchSettings().firstGuess_deg,
        py::arg("min_perigee_m") = SearchSettings().minimumPerigee_m,
        py::arg("max_dynamic_pressure_Pa") = py::none(), py::arg("vehicle") = nullptr,
        py::arg("thrust") = py::none(),
        R"(Finds the angle-of-attack limit whose mission has the wanted average
altitude (altitude_m within tolerance_m) at one turn time, flying at most
max_missions missions from first_guess_deg; an orbit whose perigee is below
min_perigee_m does not count; a design whose peak dynamic pressure exceeds
max_dynamic_pressure_Pa (None: no limit) is "infeasible". Every mission is the first of a run of its own.
The interpreter lock is released while searching. Raises ValueError for a
setting outside its domain, in the command line's words; ThrustFileError
(code 106) when the thrust history cannot be flown, VehicleError when the
vehicle's values cannot, as the command line refuses them.)");
}

}  // namespace ascent::python

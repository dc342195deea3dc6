// ascent.target: the angle-of-attack limit that reaches the wanted orbit at
// one turn time, and every mission its search flew.
#include <cmath>

#include "bindings.h"

namespace ascent::python {

namespace {

struct Target {
  std::string verdict;
  double turnTime_s = 0;
  double targetAltitude_m = 0;
  double tolerance_m = 0;
  double minimumPerigee_m = 0;
  py::object limitDeg;  // None when no mission reached an orbit
  double highestAltitude_m = 0;
  double highestAtDeg = 0;
  py::object flatAltitude_m, flatFromDeg;  // None unless the altitude is flat at the top
  bool jumpsAcross = false;
  py::object mission;  // the answer or the closest mission; None
  py::list flown;
};

py::object optional(bool present, double value) {
  if (present) return py::float_(value);
  return py::none();
}

Target target(double turnTime_s, double altitude_km, double tolerance_km, int maxMissions,
              double firstGuessDeg, double minimumPerigee_km, const Vehicle* vehicle,
              py::object thrust) {
  if (const std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) {
    throw py::value_error(problem);
  }
  const TargetSettings settings =
      targetSettings(altitude_km, tolerance_km, maxMissions, firstGuessDeg, minimumPerigee_km);
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  TargetRun run;
  {
    py::gil_scoped_release unlocked;
    run = targetTurnTime(records, flown, turnTime_s, settings);
  }
  Target t;
  t.verdict = verdictName(run.verdict);
  t.turnTime_s = turnTime_s;
  t.targetAltitude_m = settings.altitude_m;
  t.tolerance_m = settings.tolerance_m;
  t.minimumPerigee_m = settings.minimumPerigee_m;
  t.highestAltitude_m = run.search.highestAltitude_m;
  t.highestAtDeg = run.search.highestAtDeg;
  t.flatAltitude_m = optional(run.search.flatTop, run.search.flatAltitude_m);
  t.flatFromDeg = optional(run.search.flatTop, run.search.flatFromDeg);
  t.jumpsAcross = run.search.jumpsAcross;
  const MissionResult* answer = run.answer();
  t.limitDeg = optional(answer != nullptr, answer != nullptr ? answer->limitDeg : 0);
  t.mission = py::none();
  for (const MissionResult& mission : run.missions) {
    t.flown.append(flightObject(mission, t.minimumPerigee_m));
    if (&mission == answer) t.mission = t.flown[t.flown.size() - 1];
  }
  return t;
}

}  // namespace

TargetSettings targetSettings(double altitude_km, double tolerance_km, int maxMissions,
                              double firstGuessDeg, double minimumPerigee_km) {
  if (!(tolerance_km > 0) || !std::isfinite(tolerance_km)) {
    throw py::value_error("the tolerance must be positive");
  }
  if (maxMissions < 1) throw py::value_error("the mission budget must be at least 1");
  if (!std::isfinite(altitude_km) || !std::isfinite(firstGuessDeg) ||
      !std::isfinite(minimumPerigee_km)) {
    throw py::value_error("the altitude, the first guess and the minimum perigee must be finite");
  }
  return TargetSettings{altitude_km * 1000, tolerance_km * 1000, maxMissions, firstGuessDeg,
                        minimumPerigee_km * 1000};
}

void bindTarget(py::module_& m) {
  py::class_<Target>(m, "Target",
                     R"(The limit found for one turn time and the missions flown to find it.

verdict: "converged", "outside-design", "unreachable" or "not-converged".
mission is the answer (converged) or the closest mission to the target (None
when no mission reached an orbit); flown holds every mission in the order flown.)")
      .def_readonly("verdict", &Target::verdict)
      .def_readonly("turn_time_s", &Target::turnTime_s)
      .def_readonly("target_altitude_m", &Target::targetAltitude_m)
      .def_readonly("tolerance_m", &Target::tolerance_m)
      .def_readonly("minimum_perigee_m", &Target::minimumPerigee_m)
      .def_property_readonly(
          "missions", [](const Target& t) { return t.flown.size(); },
          "the number of missions flown")
      .def_readonly("limit_deg", &Target::limitDeg, "the limit of mission; None without one")
      .def_readonly("highest_altitude_m", &Target::highestAltitude_m)
      .def_readonly("highest_at_deg", &Target::highestAtDeg)
      .def_readonly("flat_altitude_m", &Target::flatAltitude_m,
                    "unreachable: the average altitude where the limit no longer binds, or None")
      .def_readonly("flat_from_deg", &Target::flatFromDeg)
      .def_readonly("jumps_across", &Target::jumpsAcross,
                    "not converged because the altitude jumps across the target")
      .def_readonly("mission", &Target::mission)
      .def_readonly("flown", &Target::flown)
      .def("__repr__", [](const Target& t) {
        return "Target(verdict='" + t.verdict +
               "', limit_deg=" + py::repr(t.limitDeg).cast<std::string>() +
               ", missions=" + std::to_string(t.flown.size()) + ")";
      });

  m.def("target", &target, py::arg("turn_time_s"), py::kw_only(), py::arg("altitude_km") = 200.0,
        py::arg("tolerance_km") = 0.1, py::arg("max_missions") = 25,
        py::arg("first_guess_deg") = 25.0, py::arg("min_perigee_km") = 100.0,
        py::arg("vehicle") = nullptr, py::arg("thrust") = py::none(),
        R"(Finds the angle-of-attack limit whose mission has the wanted average
altitude (altitude_km within tolerance_km) at one turn time, flying at most
max_missions missions from first_guess_deg; an orbit whose perigee is below
min_perigee_km does not count. Every mission is the first of a
run of its own. The interpreter lock is released while searching.)");
}

}  // namespace ascent::python

// ascent.fly and ascent.Flight: one mission, its summary and its trajectory,
// under the names of `ascent fly --json` and its trajectory CSV.
#include <vector>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

// Every step as the command line's trajectory CSV has it, the pad row first.
class TrajectoryRecorder final : public MissionObserver {
 public:
  TrajectoryRecorder() { rows_.reserve(1024); }
  void padRow(const StepRow& row) override { rows_.push_back(row); }
  void step(const StepRow& row) override { rows_.push_back(row); }
  py::object table() const { return py::cast(tableOf(trajectorySchema(), rows_)); }

 private:
  std::vector<StepRow> rows_;
};

struct Flight {
  FlownMission flight;
  Value vehicle;  // null for a mission of a study: its result names the vehicle once
  py::object trajectory;
};

Value valueOf(const Flight& f) {
  Value value = missionValue(f.flight);
  if (!f.vehicle.isNull()) value.add("vehicle", f.vehicle);
  return value;
}

py::object fly(double turnTime_s, double limit_deg, const Vehicle* vehicle, py::object thrust,
               bool trajectory, double minimumPerigee_m) {
  const Flying flying(vehicle, std::move(thrust));
  TrajectoryRecorder recorder;
  FlownMission flight = withoutLock([&] {
    return runFly(flying.inputs(), {turnTime_s, limit_deg, minimumPerigee_m},
                  trajectory ? &recorder : nullptr);
  });
  const MissionResult& result = flight.result;
  if (result.outcome == Outcome::Failed) {
    raise("FlightFailed",
          "failed (" + std::to_string(result.failureCode) + "): " + result.failureReason,
          py::dict(py::arg("code") = result.failureCode, py::arg("reason") = result.failureReason,
                   py::arg("turn_time_s") = turnTime_s, py::arg("limit_deg") = limit_deg));
  }
  return flightObject(std::move(flight), vehicleValue(flying.vehicle()),
                      trajectory ? recorder.table() : py::none());
}

// A record of the mission (Peaks, UpperStageSizing) with one attribute per
// field of its schema.
template <class Record>
void bindRecord(py::module_& m, const char* name, const char* doc, Schema<Record> schema) {
  py::class_<Record> record(m, name, doc);
  for (const Field<Record>& field : schema) {
    record.def_property_readonly(
        std::string(field.info.name).c_str(),
        [get = field.get](const Record& r) { return toPython(get(r)); },
        fieldDoc(field.info).c_str());
  }
  record.def("to_dict", [schema](const Record& r) { return toPython(toValue(schema, r)); });
}

}  // namespace

py::object flightObject(FlownMission flight, Value vehicle, py::object trajectory) {
  return py::cast(Flight{std::move(flight), std::move(vehicle), std::move(trajectory)});
}

void bindFlight(py::module_& m) {
  bindRecord(m, "Peaks", "Peaks of thrust acceleration and dynamic pressure.", peaksSchema());
  bindRecord(m, "Sizing",
             "The upper stage re-sized from the flight's peak force and remaining propellant.",
             sizingSchema());

  py::class_<Flight> flightClass(
      m, "Flight",
      R"(One mission flown: its summary and, when asked for, its trajectory.

The attributes are the fields of `ascent fly --json`, under the same names:
outcome is the flight class ("orbit", "suborbital", "escape", "abandoned" or
"failed"; abandon_reason and failure_code say why), altitudes are above the
spherical Earth, values a mission did not compute (the orbit of an abandoned
mission) are None. to_dict() equals json.loads of `ascent fly --json` for the
same inputs (the missions of a study have no "vehicle").)");
  // One attribute per field, in the JSON's order; the peaks and the sizing
  // keep attribute access of their own.
  for (const Field<FlownMission>& field : flightSchema()) {
    if (field.info.type == FieldType::Object) continue;
    flightClass.def_property_readonly(
        std::string(field.info.name).c_str(),
        [get = field.get](const Flight& f) { return toPython(get(f.flight)); },
        fieldDoc(field.info).c_str());
  }
  flightClass
      .def_property_readonly("mission_peaks",
                             [](const Flight& f) { return f.flight.result.missionPeaks; })
      .def_property_readonly("run_peaks", [](const Flight& f) { return f.flight.result.runPeaks; })
      .def_property_readonly(
          "sizing",
          [](const Flight& f) -> py::object {
            if (f.flight.result.outcome != Outcome::Orbit) return py::none();
            return py::cast(f.flight.result.sizing);
          },
          "the re-sized upper stage; None when the mission did not reach orbit")
      .def_property_readonly(
          "vehicle", [](const Flight& f) { return toPython(f.vehicle); },
          "{changes, hash} of the vehicle flown (fly); None for a mission of a study")
      .def_readonly("trajectory", &Flight::trajectory,
                    "a Table of every integration step (fly(..., trajectory=True)), else None")
      .def("to_dict", [](const Flight& f) { return toPython(valueOf(f)); })
      .def("__repr__", [](const Flight& f) {
        const MissionResult& r = f.flight.result;
        std::string text =
            "Flight(turn_time_s=" + py::repr(py::float_(r.turnTime_s)).cast<std::string>() +
            ", limit_deg=" + py::repr(py::float_(r.limit_deg)).cast<std::string>() + ", outcome='" +
            std::string(flightClassName(classifyFlight(r, f.flight.minimumPerigee_m))) + "'";
        if (r.outcome == Outcome::Orbit) {
          text += ", perigee_m=" + py::repr(py::float_(r.perigee_m)).cast<std::string>() +
                  ", apogee_m=" + py::repr(py::float_(r.apogee_m)).cast<std::string>();
        }
        return text + ")";
      });

  const FlySettings defaults;
  defineFunction(m, "fly", &fly,
                 R"(Flies one mission: the gravity turn held for turn_time_s (1 to 10000 s), the
core and upper stages steered under limit_deg (the maximum angle of attack, 0
to 90 deg).

vehicle: a Vehicle (None: the default vehicle); thrust: a ThrustHistory (None:
the one shipped with the package). With trajectory=True the Flight's
trajectory holds every integration step. An orbit whose perigee is below
minimum_perigee_m (0 to 1e8 m) has the outcome "suborbital". The interpreter
lock is released while flying. Raises InputError (a ValueError) naming the
setting outside its domain, in the command line's words; ThrustFileError
(code 106) when the thrust history cannot be flown, VehicleError when the
vehicle cannot; FlightFailed (with the run-time error number as code) when
the mission fails otherwise.)",
                 py::arg("turn_time_s"), py::arg("limit_deg"), py::arg("vehicle") = nullptr,
                 py::arg("thrust") = py::none(), py::arg("trajectory") = false, py::kw_only(),
                 py::arg("minimum_perigee_m") = defaults.minimumPerigee_m);
}

}  // namespace ascent::python

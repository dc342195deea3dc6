// The Python module ascent._ascent on the public API: one bind function per
// part, each in its own file, called in order from module.cpp. A study added
// to the module gets a file of its own and one line there.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ascent/ascent.h"
#include "ascent/design_schema.h"
#include "ascent/performance.h"
#include "ascent/results.h"
#include "ascent/schema.h"
#include "ascent/study.h"
#include "ascent/trade.h"
#include "ascent/vehicle.h"

namespace ascent::python {

namespace py = pybind11;

void bindVehicle(py::module_& m);
void bindThrust(py::module_& m);
void bindTable(py::module_& m);
void bindResult(py::module_& m);
void bindFlight(py::module_& m);
void bindTarget(py::module_& m);
void bindSweep(py::module_& m);
void bindDispersions(py::module_& m);
void bindOptimize(py::module_& m);
void bindTrade(py::module_& m);
void bindPerformance(py::module_& m);

// Raises the module's exception `type` (a class of ascent._errors) with its
// message and keyword attributes; needs the interpreter lock.
[[noreturn]] void raise(const char* type, const std::string& message, py::dict attributes = {});

// The vehicle to fly: the defaults for None; raises VehicleError when it
// cannot be flown as described.
const Vehicle& vehicleToFly(const Vehicle* vehicle);
// The thrust history to fly: the package's shipped one for None.
py::object thrustToFly(py::object thrust);
// The ThrustHistory held by `thrust`; TypeError when it holds none.
const ThrustHistory& historyOf(const py::object& thrust);

// A column handed to numpy without copying: the array owns the vector.
template <class T>
py::array_t<T> column(std::vector<T>&& values) {
  auto* owned = new std::vector<T>(std::move(values));
  py::capsule owner(owned, [](void* p) { delete static_cast<std::vector<T>*>(p); });
  return py::array_t<T>(static_cast<py::ssize_t>(owned->size()), owned->data(), owner);
}

// Columns of equal length under unit-suffixed names, in order.
struct Table {
  py::dict columns;
  std::size_t rows = 0;
};

// A result's value tree as Python objects: dict (keys in order), list, str,
// int, float, bool, None (also for a real that is not finite), so that
// to_dict() equals json.loads of the command line's --json.
py::object toPython(const Value& value);

// A study's result as the command line's --json has it: item access as a
// dict's (result["turn_time_s"]) and to_dict(). Results with attributes of
// their own (Flight, Target) keep their Value beside them for to_dict().
struct Result {
  Value value;
};

// One column of tableOf.
py::object columnOf(FieldType type, const std::vector<Value>& cells);

// The rows of a result as a Table, one column per field of its schema with
// the CSV's names in the CSV's order: reals as float64 (NaN for null), whole
// numbers as int64, texts and flags as object arrays (None for null).
template <class Row>
Table tableOf(Schema<Row> schema, const std::vector<Row>& rows) {
  Table table;
  table.rows = rows.size();
  for (const Field<Row>& field : schema) {
    std::vector<Value> cells;
    cells.reserve(rows.size());
    for (const Row& row : rows) cells.push_back(field.get(row));
    table.columns[py::str(std::string(field.info.name))] = columnOf(field.info.type, cells);
  }
  return table;
}

// A flown mission as the module's Flight: its attributes and to_dict() are
// missionValue's, with "vehicle" when `vehicle` is not null (fly's own
// flights); `trajectory` is None or a Table.
py::object flightObject(FlownMission flight, Value vehicle = Value(),
                        py::object trajectory = py::none());
// The same for a study's mission without a thrust file's name.
py::object flightObject(MissionResult result, double minimumPerigee_m,
                        py::object trajectory = py::none());

// Target settings from kilometre keyword arguments; ValueError, in the
// command line's words, for settings outside their domain.
SearchSettings targetSettings(double altitude_km, double tolerance_km, int maxMissions,
                              double firstGuess_deg, double minimumPerigee_km);

// The dynamic-pressure limit of a keyword argument: None for no limit, else
// a number of its domain; ValueError in the domain's words.
double dynamicPressureLimit(const std::optional<double>& limit_Pa);

// The threads a study runs on: None for the machine's cores (0), else a
// number of the study's jobs domain; ValueError in the domain's words.
unsigned jobsOf(const std::optional<long long>& jobs);

// What a design result says of its inputs: the history's name as the thrust
// file, the vehicle's object, the mission's object.
DesignInputs designInputs(const ThrustHistory& history, const Vehicle& vehicle);

// A path given as str or os.PathLike.
inline std::string pathOf(const py::object& path) {
  return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

// Thrown on the calling thread of a study when Python's signal handlers
// raised (Ctrl-C): the study ends, and the Python error stays set.
struct Interrupted {};
// A study's progress callback that runs Python's signal handlers between
// steps; throws Interrupted when one raised. Called without the lock.
Progress checkingSignals();
// Runs `study` with the interpreter lock released; KeyboardInterrupt (or any
// error of a signal handler) when it was interrupted.
template <class Study>
auto withoutLock(Study study) {
  try {
    py::gil_scoped_release unlocked;
    return study();
  } catch (const Interrupted&) {
    throw py::error_already_set();
  }
}

// A design study run as the command line runs it: its settings checked
// (ValueError in the domain's words), then `study(history, vehicle,
// settings, threads, progress)` without the lock on the vehicle and thrust
// history to fly; `make(result, inputs)` gives the Python object.
template <class Settings, class Study, class Make>
py::object runDesignStudy(const Settings& settings, const std::optional<long long>& jobs,
                          const Vehicle* vehicle, py::object thrust, Study study, Make make) {
  const unsigned threads = jobsOf(jobs);
  if (const std::string problem = settingsProblem(settings); !problem.empty()) {
    throw py::value_error(problem);
  }
  const Vehicle flown = vehicleToFly(vehicle);
  const py::object history = thrustToFly(std::move(thrust));
  const ThrustHistory& records = historyOf(history);
  const auto result =
      withoutLock([&] { return study(records, flown, settings, threads, checkingSignals()); });
  return make(result, designInputs(records, flown));
}

}  // namespace ascent::python

// Calling a study from Python: errors, the inputs flown and the arguments.
#include "calls.h"

#include <pybind11/stl.h>

#include <vector>

namespace ascent::python {

void setError(const char* type, const std::string& message, const py::dict& attributes) {
  py::object errorType = py::module_::import("ascent._errors").attr(type);
  py::object error = errorType(message, **attributes);
  PyErr_SetObject(errorType.ptr(), error.ptr());
}

[[noreturn]] void raise(const char* type, const std::string& message, py::dict attributes) {
  setError(type, message, attributes);
  throw py::error_already_set();
}

std::string pathOf(const py::object& path) {
  return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

const Vehicle& vehicleToFly(const Vehicle* vehicle) {
  if (vehicle == nullptr) return Vehicle::defaults();
  const std::vector<std::string> problems = vehicleProblems(*vehicle);
  if (!problems.empty()) {
    std::string message = "the vehicle cannot be flown as described:";
    for (const std::string& problem : problems) message += "\n  " + problem;
    raise("VehicleError", message, py::dict(py::arg("problems") = problems));
  }
  return *vehicle;
}

const ThrustHistory& historyOf(const py::object& thrust) {
  if (!py::isinstance<ThrustHistory>(thrust)) {
    throw py::type_error("thrust must be an ascent.ThrustHistory or None, not " +
                         py::str(py::type::of(thrust).attr("__name__")).cast<std::string>());
  }
  return thrust.cast<const ThrustHistory&>();
}

namespace {

py::object thrustToFly(py::object thrust) {
  if (!thrust.is_none()) return thrust;
  return py::module_::import("ascent").attr("shipped_thrust")();
}

}  // namespace

Flying::Flying(const Vehicle* vehicle, py::object thrust)
    : vehicle_(vehicleToFly(vehicle)),
      thrust_(thrustToFly(std::move(thrust))),
      inputs_{historyOf(thrust_), vehicle_, std::string()} {}

SearchSettings searchSettings(double targetAltitude_m, double tolerance_m, int maxMissions,
                              double firstGuess_deg, double minimumPerigee_m,
                              const std::optional<double>& dynamicPressureLimit_Pa) {
  return SearchSettings{targetAltitude_m, tolerance_m,
                        maxMissions,      firstGuess_deg,
                        minimumPerigee_m, dynamicPressureLimit_Pa.value_or(noDynamicPressureLimit)};
}

unsigned jobsOf(const std::optional<long long>& jobs) {
  if (!jobs) return 0;
  // 0 stands for the machine's cores only when no number is given.
  const SettingDomain<unsigned>& domain = jobsDomain().front();
  refuseSetting({std::string(domain.name), domainProblem(domain, static_cast<double>(*jobs))});
  return static_cast<unsigned>(*jobs);
}

std::string parameterText(const py::arg_v& argument) {
  return std::string(argument.name) + "=" + py::repr(argument.value).cast<std::string>();
}

}  // namespace ascent::python

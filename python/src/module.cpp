// ascent._ascent: the compiled part of the Python package `ascent`.
#include "bindings.h"

namespace ascent::python {

[[noreturn]] void raise(const char* type, const std::string& message, py::dict attributes) {
  py::object errorType = py::module_::import("ascent._errors").attr(type);
  py::object error = errorType(message, **attributes);
  PyErr_SetObject(errorType.ptr(), error.ptr());
  throw py::error_already_set();
}

Progress checkingSignals() {
  return [](std::size_t, std::size_t) {
    py::gil_scoped_acquire locked;
    if (PyErr_CheckSignals() != 0) throw Interrupted{};
  };
}

}  // namespace ascent::python

PYBIND11_MODULE(_ascent, m) {
  using namespace ascent::python;
  m.doc() = "The flight of a three-stage launch vehicle and the studies on it (compiled part).";
  m.attr("__version__") = std::string(ascent::version());
  bindVehicle(m);
  bindThrust(m);
  bindTable(m);
  bindFlight(m);
  bindTarget(m);
  bindSweep(m);
  bindDispersions(m);
  bindOptimize(m);
  bindTrade(m);
}

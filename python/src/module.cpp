// ascent._ascent: the compiled part of the Python package `ascent`, and the
// translation of the library's errors into the module's exceptions.
#include <pybind11/stl.h>

#include <exception>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

// None for no setting.
py::object settingOf(const InputError& error) {
  if (error.setting().empty()) return py::none();
  return py::str(error.setting());
}

// Every ascent::Error that leaves a binding as the module's exception of its
// kind, with its number as code: the same refusal the command line makes. A
// setting a study refuses is named by its field, the function's keyword.
void translateErrors(std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const ThrustFileError& error) {
    setError("ThrustFileError", error.what(),
             py::dict(py::arg("code") = error.code(), py::arg("path") = error.path()));
  } catch (const VehicleError& error) {
    setError("VehicleError", error.what(), py::dict(py::arg("code") = error.code()));
  } catch (const InputError& error) {
    setError("InputError", error.what(),
             py::dict(py::arg("code") = error.code(), py::arg("problems") = error.problems(),
                      py::arg("setting") = settingOf(error)));
  } catch (const Error& error) {
    setError("Error", error.what(), py::dict(py::arg("code") = error.code()));
  }
}

}  // namespace

}  // namespace ascent::python

PYBIND11_MODULE(_ascent, m) {
  using namespace ascent::python;
  m.doc() = "The flight of a three-stage launch vehicle and the studies on it (compiled part).";
  m.attr("__version__") = std::string(ascent::version());
  py::register_exception_translator(&translateErrors);
  bindVehicle(m);
  bindThrust(m);
  bindTable(m);
  bindResult(m);
  bindFlight(m);
  bindTarget(m);
  bindSweep(m);
  bindDispersions(m);
  bindOptimize(m);
  bindTrade(m);
  bindPerformance(m);
  bindSensitivity(m);
}

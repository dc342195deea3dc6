// ascent._ascent: the compiled part of the Python package `ascent`.
#include <pybind11/stl.h>

#include <cmath>
#include <exception>

#include "bindings.h"

namespace ascent::python {

namespace {

// Sets the module's exception `type` as the pending Python error.
void setError(const char* type, const std::string& message, const py::dict& attributes) {
  py::object errorType = py::module_::import("ascent._errors").attr(type);
  py::object error = errorType(message, **attributes);
  PyErr_SetObject(errorType.ptr(), error.ptr());
}

// Every ascent::Error that leaves a binding as the module's exception of its
// kind, with its number as code: the same refusal the command line makes.
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
             py::dict(py::arg("code") = error.code(), py::arg("problems") = error.problems()));
  } catch (const Error& error) {
    setError("Error", error.what(), py::dict(py::arg("code") = error.code()));
  }
}

}  // namespace

[[noreturn]] void raise(const char* type, const std::string& message, py::dict attributes) {
  setError(type, message, attributes);
  throw py::error_already_set();
}

py::object toPython(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      return py::none();
    case Value::Kind::Flag:
      return py::bool_(value.flag());
    case Value::Kind::Integer:
      return py::int_(value.integer());
    case Value::Kind::Unsigned:
      return py::int_(value.whole());
    case Value::Kind::Real:
      if (!std::isfinite(value.real())) return py::none();  // JSON's null
      return py::float_(value.real());
    case Value::Kind::Text:
      return py::str(value.text());
    case Value::Kind::List: {
      py::list list;
      for (const Value& item : value.items()) list.append(toPython(item));
      return list;
    }
    case Value::Kind::Object:
      break;
  }
  py::dict dict;
  for (const auto& [key, member] : value.members()) dict[py::str(key)] = toPython(member);
  return dict;
}

py::object columnOf(FieldType type, const std::vector<Value>& cells) {
  switch (type) {
    case FieldType::Real: {
      std::vector<double> values;
      values.reserve(cells.size());
      for (const Value& cell : cells) values.push_back(cell.real());  // null: NaN
      return column(std::move(values));
    }
    case FieldType::Integer: {
      std::vector<std::int64_t> values;
      values.reserve(cells.size());
      for (const Value& cell : cells) {
        values.push_back(cell.kind() == Value::Kind::Unsigned
                             ? static_cast<std::int64_t>(cell.whole())
                             : cell.integer());
      }
      return column(std::move(values));
    }
    case FieldType::Text:
    case FieldType::Flag:
    case FieldType::Object:
    case FieldType::List:
      break;
  }
  py::list objects;
  for (const Value& cell : cells) objects.append(toPython(cell));
  return py::module_::import("numpy").attr("array")(objects, py::arg("dtype") = "object");
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
}

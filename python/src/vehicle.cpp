// ascent.Vehicle: the vehicle as data, read and written by its dotted keys.
#include <pybind11/stl.h>

#include <cmath>

#include "ascent/files.h"
#include "ascent/text.h"
#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

const VehicleKey& keyOf(const std::string& key) {
  const VehicleKey* found = findVehicleKey(key);
  if (found == nullptr) {
    raise("UnknownKeyError", "no vehicle key '" + key + "'" + didYouMean(key, vehicleKeyNames()),
          py::dict(py::arg("key") = key));
  }
  return *found;
}

void setChecked(Vehicle& vehicle, const std::string& key, double value) {
  const VehicleKey& row = keyOf(key);
  if (!std::isfinite(value) || !inDomain(row.domain, value)) {
    raise("VehicleError",
          key + " = " + py::str(py::float_(value)).cast<std::string>() +
              " is outside its domain (" + std::string(domainText(row.domain)) + ")",
          py::dict(py::arg("key") = key));
  }
  row.set(vehicle, value);
}

// Runs a reader of vehicle files, turning its errors into VehicleError.
template <class Read>
Vehicle readVehicle(Read read) {
  try {
    return read().vehicle;
  } catch (const InputError& error) {
    raise("VehicleError", error.what(), py::dict(py::arg("problems") = error.problems()));
  } catch (const Error& error) {
    raise("VehicleError", error.what(), py::dict(py::arg("code") = error.code()));
  }
}

// The changes set on a copy and what follows from them derived, by the
// library's rule for vehicle files; a refused value is VehicleError, a
// warned one Python's UserWarning.
Vehicle withChanges(const Vehicle& v, const std::map<std::string, double>& changes) {
  Vehicle changed = v;
  std::vector<std::string> given;
  for (const auto& [key, value] : changes) {
    setChecked(changed, key, value);
    given.push_back(key);
  }
  const VehicleDerivation derivation = deriveVehicleKeys(v, changed, given);
  for (const KeyConflict& conflict : derivation.conflicts) {
    if (conflict.refused) {
      raise("VehicleError", conflict.text(), py::dict(py::arg("key") = conflict.key));
    }
    if (PyErr_WarnEx(PyExc_UserWarning, conflict.text().c_str(), 1) != 0) {
      throw py::error_already_set();
    }
  }
  vehicleToFly(&changed);
  return changed;
}

}  // namespace

void bindVehicle(py::module_& m) {
  py::class_<Vehicle>(m, "Vehicle", R"(The launch vehicle as data.

Vehicle() is the default vehicle. Every scalar value has a dotted key with its
unit in the name ("core.thrust_N"): v[key] reads it, v[key] = value sets it
(UnknownKeyError for a key that does not exist, VehicleError for a value
outside the key's domain) alone; with_changes() also moves the keys that
follow from those given, as a vehicle file does. Vehicle.keys() lists the
keys in file order.)")
      .def(py::init([] { return Vehicle::defaults(); }), "The default vehicle.")
      .def_static(
          "from_toml",
          [](const py::object& path) {
            return readVehicle([&] { return readVehicleFile(pathOf(path)); });
          },
          py::arg("path"),
          "Reads a vehicle file (TOML, the keys that differ from the defaults); VehicleError "
          "lists every problem of the file, each with FILE:LINE.")
      .def_static(
          "parse_toml",
          [](const std::string& text, const std::string& name) {
            return readVehicle([&] { return parseVehicleText(text, name); });
          },
          py::arg("text"), py::arg("name") = "<string>",
          "The same as from_toml for text held in memory; `name` names it in the problems.")
      .def("to_toml", &vehicleToml,
           "The vehicle as a complete vehicle file: every key with its meaning and unit.")
      .def("__getitem__",
           [](const Vehicle& v, const std::string& key) { return keyOf(key).get(v); })
      .def("__setitem__", &setChecked)
      .def("__contains__",
           [](const Vehicle&, const std::string& key) { return findVehicleKey(key) != nullptr; })
      .def(
          "with_changes",
          [](const Vehicle& v, const std::map<std::string, double>& changes) {
            return withChanges(v, changes);
          },
          py::arg("changes"),
          "A copy with the values of `changes` ({key: value}) and the keys that follow from "
          "them, as a vehicle file has them: resizing.S3_Mt_kg and loads.carried_mass_kg move "
          "with upper.mass_kg (and the latter with the SAJ and LAS) unless given. VehicleError "
          "when the copy cannot be flown (events out of order, propellant heavier than its "
          "stage, a given loads.carried_mass_kg that is not resizing.S3_Mt_kg + SAJ + LAS, "
          "...); a UserWarning for a given resizing.S3_Mt_kg other than the stack flown.")
      .def("changed_keys", &changedVehicleKeys,
           "The keys whose values differ from the defaults (the drag table as "
           "'aero.drag_table').")
      .def("problems", &vehicleProblems,
           "Why the vehicle cannot be flown as described; empty when it can.")
      .def(
          "to_dict",
          [](const Vehicle& v) {
            py::dict values;
            for (const VehicleKey& row : vehicleKeys()) values[py::str(row.key)] = row.get(v);
            return values;
          },
          "Every key and its value, in file order.")
      .def_static(
          "keys",
          [] {
            py::list keys;
            for (const VehicleKey& row : vehicleKeys()) keys.append(py::str(row.key));
            return keys;
          },
          "Every scalar key, in the order of the vehicle file.")
      .def_static(
          "describe",
          [](const std::string& key) {
            const VehicleKey& row = keyOf(key);
            return py::dict(py::arg("unit") = row.unit, py::arg("domain") = domainText(row.domain),
                            py::arg("comment") = row.comment);
          },
          py::arg("key"), "The unit, the allowed values and the meaning of a key.")
      .def("copy", [](const Vehicle& v) { return v; })
      .def("__copy__", [](const Vehicle& v) { return v; })
      .def("__deepcopy__", [](const Vehicle& v, py::dict) { return v; })
      .def("__eq__", [](const Vehicle& a, const Vehicle& b) { return a == b; })
      .def("hash", &vehicleHash,
           "16 hex digits identifying the vehicle's values, whatever file described it (the "
           "hash of the command line's JSON).")
      .def("__repr__", [](const Vehicle& v) {
        const std::vector<std::string> changed = changedVehicleKeys(v);
        if (changed.empty()) return std::string("Vehicle()");
        std::string text = "Vehicle(changed: ";
        for (std::size_t i = 0; i < changed.size(); ++i) text += (i ? ", " : "") + changed[i];
        return text + ")";
      });
}

}  // namespace ascent::python

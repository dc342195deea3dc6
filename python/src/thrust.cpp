// ascent.ThrustHistory: the booster thrust history, from a file or from arrays.
#include <cmath>

#include "bindings.h"
#include "calls.h"

namespace ascent::python {

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

ThrustHistory fromArrays(const Doubles& times, const Doubles& thrusts, std::string name) {
  if (times.ndim() != 1 || thrusts.ndim() != 1 || times.size() != thrusts.size()) {
    throw py::value_error("times_s and thrust_N must be one-dimensional and of one length (" +
                          std::to_string(times.size()) + " and " + std::to_string(thrusts.size()) +
                          " values)");
  }
  std::vector<ThrustRecord> records(static_cast<std::size_t>(times.size()));
  for (std::size_t i = 0; i < records.size(); ++i) {
    records[i] = {times.data()[i], thrusts.data()[i]};
    if (!std::isfinite(records[i].time_s) || !std::isfinite(records[i].thrust_N)) {
      throw py::value_error(name + " record " + std::to_string(i + 1) +
                            " is not a finite time and thrust");
    }
  }
  return ThrustHistory::fromRecords(std::move(records), std::move(name));
}

std::vector<double> field(const ThrustHistory& history, double ThrustRecord::*member) {
  std::vector<double> values;
  values.reserve(history.records().size());
  for (const ThrustRecord& record : history.records()) values.push_back(record.*member);
  return values;
}

}  // namespace

void bindThrust(py::module_& m) {
  py::class_<ThrustHistory>(m, "ThrustHistory", R"(A booster thrust history.

The records are the mission time (s) and the vacuum thrust of ONE booster (N),
linear between records. A record of a file that cannot be read is no error
until a mission reaches it: that mission then fails (FlightFailed, code 106).)")
      .def_static(
          "from_file", [](const py::object& path) { return ThrustHistory::fromFile(pathOf(path)); },
          py::arg("path"),
          "Reads a thrust file (s1.dat format) of at most 64 MiB, as the command line does; "
          "ThrustFileError (code: errno, 27 for a larger file) when it cannot be read.")
      .def_static("from_arrays", &fromArrays, py::arg("times_s"), py::arg("thrust_N"),
                  py::arg("name") = "arrays",
                  "Records from two sequences of equal length; `name` names the history in "
                  "the reasons of failed missions. ValueError for values that are not finite.")
      .def_property_readonly("name", &ThrustHistory::name)
      .def_property_readonly(
          "times_s", [](const ThrustHistory& h) { return column(field(h, &ThrustRecord::time_s)); },
          "The record times, s (a copy).")
      .def_property_readonly(
          "thrust_N",
          [](const ThrustHistory& h) { return column(field(h, &ThrustRecord::thrust_N)); },
          "The thrust of one booster at each record, N (a copy).")
      .def_property_readonly("fault_code", &ThrustHistory::faultCode,
                             "The error number of the first record that cannot be read; 0 when "
                             "none.")
      .def_property_readonly("fault_reason", &ThrustHistory::faultReason)
      .def("__len__", [](const ThrustHistory& h) { return h.records().size(); })
      .def("__repr__", [](const ThrustHistory& h) {
        return "ThrustHistory(" + py::repr(py::str(h.name())).cast<std::string>() + ", " +
               std::to_string(h.records().size()) + " records)";
      });
}

}  // namespace ascent::python

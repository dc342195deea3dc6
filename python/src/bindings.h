// The Python module ascent._ascent on the public API: one bind function per
// part, each in its own file, called in order from module.cpp. A study's part
// only turns its arguments into the study's settings (calls.h), runs it and
// turns its result into Python objects (values.h); a study added to the
// module gets a file of its own and one line there.
#pragma once

#include <pybind11/pybind11.h>

#include "ascent/fly.h"
#include "values.h"

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
void bindSensitivity(py::module_& m);

// A flown mission as the module's Flight (flight.cpp): its attributes and
// to_dict() are missionValue's, with "vehicle" when `vehicle` is not null
// (fly's own flights); `trajectory` is None or a Table.
py::object flightObject(FlownMission flight, Value vehicle = Value(),
                        py::object trajectory = py::none());

}  // namespace ascent::python

// ascent.Table: numpy columns of equal length under unit-suffixed names.
#include "bindings.h"

namespace ascent::python {

void bindTable(py::module_& m) {
  py::class_<Table>(m, "Table", py::dynamic_attr(),
                    R"(Columns of equal length, one numpy array each.

The names carry the units ("altitude_km", "time_s"). table["time_s"] and
table.time_s give a column without copying it; len(table) is the number of
rows; iterating gives the column names. to_pandas() makes a DataFrame (pandas
must be installed).)")
      .def("__len__", [](const Table& t) { return t.rows; })
      .def("__getitem__",
           [](const Table& t, const std::string& name) -> py::object {
             if (!t.columns.contains(name)) throw py::key_error(name);
             return t.columns[py::str(name)];
           })
      .def("__getattr__",
           [](const Table& t, const std::string& name) -> py::object {
             if (!t.columns.contains(name)) {
               throw py::attribute_error("no column '" + name + "'");
             }
             return t.columns[py::str(name)];
           })
      .def("__contains__",
           [](const Table& t, const std::string& name) { return t.columns.contains(name); })
      .def("__iter__", [](const Table& t) { return py::iter(t.columns); })
      .def(
          "keys", [](const Table& t) { return py::list(t.columns); }, "The column names, in order.")
      .def_property_readonly(
          "columns", [](const Table& t) { return py::list(t.columns); },
          "The column names, in order.")
      .def(
          "to_dict", [](const Table& t) { return py::dict(t.columns); },
          "{name: array}, the arrays not copied.")
      .def(
          "to_pandas",
          [](const Table& t) {
            return py::module_::import("pandas").attr("DataFrame")(t.columns,
                                                                   py::arg("copy") = false);
          },
          "A pandas DataFrame of the columns (ImportError without pandas).")
      .def("__repr__", [](const Table& t) {
        std::string names;
        for (auto item : t.columns) {
          names += (names.empty() ? "" : ", ") + py::str(item.first).cast<std::string>();
        }
        return "Table(" + std::to_string(t.rows) + " rows: " + names + ")";
      });
}

}  // namespace ascent::python

// ascent.Table: numpy columns of equal length under unit-suffixed names, and
// ascent.Result: a study's result as its command's --json.
#include "bindings.h"

namespace ascent::python {

void bindTable(py::module_& m) {
  py::class_<Table>(m, "Table", py::dynamic_attr(),
                    R"(Columns of equal length, one numpy array each.

The names carry the units ("altitude_m", "time_s"). table["time_s"] and
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

void bindResult(py::module_& m) {
  py::class_<Result>(m, "Result",
                     R"(A study's result: the object the command line prints with --json.

result["key"] reads a member as a dict would; to_dict() gives the whole
result as dicts and lists, equal to json.loads of the command's --json output
for the same inputs. The results of target, optimize, trade and performance
are classes of their own with every member as an attribute.)")
      .def("to_dict", [](const Result& r) { return toPython(r.value); })
      .def("__getitem__",
           [](const Result& r, const std::string& key) {
             const Value* member = r.value.find(key);
             if (member == nullptr) throw py::key_error(key);
             return toPython(*member);
           })
      .def("__contains__",
           [](const Result& r, const std::string& key) { return r.value.find(key) != nullptr; })
      .def("keys",
           [](const Result& r) {
             py::list keys;
             for (const auto& member : r.value.members()) keys.append(member.first);
             return keys;
           })
      .def("__iter__", [](const Result& r) { return py::iter(toPython(r.value)); })
      .def("__len__", [](const Result& r) { return r.value.members().size(); })
      .def("__repr__", [](const Result& r) {
        return "Result(" + py::repr(toPython(r.value)).cast<std::string>() + ")";
      });
}

}  // namespace ascent::python

// What the parts of the module share to hand results to Python: a value
// tree as Python objects, tables of numpy columns under the CSV's names, and
// result classes whose attributes are the fields of a schema. The names,
// units and null rules are the study's own (ascent/schema.h): nothing here
// names a field.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascent/schema.h"

namespace ascent::python {

namespace py = pybind11;

// A result's value tree as Python objects: dict (keys in order), list, str,
// int, float, bool, None (also for a real that is not finite), so that
// to_dict() equals json.loads of the command line's --json.
py::object toPython(const Value& value);

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

// One column of tableOf: reals as float64 (NaN for null), whole numbers as
// int64, texts and flags as object arrays (None for null).
py::object columnOf(FieldType type, const std::vector<Value>& cells);

// The rows of a result as a Table, one column per field of its schema with
// the CSV's names in the CSV's order.
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

// A study's result as the command line's --json has it: item access as a
// dict's (result["turn_time_s"]) and to_dict(). A study's own class derives
// from it and adds the fields of its schema as attributes.
struct Result {
  Value value;
};

// An attribute's docstring: the field's meaning, its unit and when it is None.
std::string fieldDoc(const FieldInfo& info);

// A read-only attribute of `cls` for every field of `schema`, in its order,
// read from the result's value; the fields named in `own` are left to the
// class, which gives them as objects of the module (a Flight, a Table).
template <class Row, class Class>
void addFieldAttributes(Class& cls, Schema<Row> schema,
                        std::initializer_list<std::string_view> own = {}) {
  for (const Field<Row>& field : schema) {
    if (std::find(own.begin(), own.end(), field.info.name) != own.end()) continue;
    const std::string name(field.info.name);
    cls.def_property_readonly(
        name.c_str(), [name](const Result& r) { return toPython(r.value[name]); },
        fieldDoc(field.info).c_str());
  }
}

}  // namespace ascent::python

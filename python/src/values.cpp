// Results handed to Python: value trees, numpy columns and attribute docs.
#include "values.h"

#include <cmath>
#include <cstdint>

namespace ascent::python {

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

std::string fieldDoc(const FieldInfo& info) {
  std::string doc(info.meaning);
  if (!info.unit.empty()) doc += " (" + std::string(info.unit) + ")";
  if (!info.nullWhen.empty()) doc += "; None when " + std::string(info.nullWhen);
  return doc;
}

}  // namespace ascent::python

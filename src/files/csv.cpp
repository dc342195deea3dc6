#include <cmath>

#include "ascent/writers.h"

namespace ascent {

void appendCsvCell(std::string& line, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      return;
    case Value::Kind::Flag:
      line += value.flag() ? "true" : "false";
      return;
    case Value::Kind::Integer:
      line += std::to_string(value.integer());
      return;
    case Value::Kind::Unsigned:
      line += std::to_string(value.whole());
      return;
    case Value::Kind::Real:
      if (std::isfinite(value.real())) appendExact(line, value.real());
      return;
    case Value::Kind::Text:
      break;
    case Value::Kind::List:
    case Value::Kind::Object:
      return;  // not a column: a schema written as CSV holds none
  }
  const std::string& text = value.text();
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    line += text;
    return;
  }
  line += '"';
  for (char c : text) {
    if (c == '"') line += '"';
    line += c;
  }
  line += '"';
}

}  // namespace ascent

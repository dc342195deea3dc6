// Results as CSV: a header of field names and one line per row, written by
// iterating a result's schema (ascent/schema.h), so a column has the name
// its field has in JSON and in Python.
#pragma once

#include <string>
#include <string_view>

#include "ascent/schema.h"

namespace ascent {

// One cell: nothing for null and non-finite reals, a real in its shortest
// exact form, a text quoted (its quotes doubled) when it holds a comma, a
// quote or a line end.
void appendCsvCell(std::string& line, const Value& value);

// "name,name,...\n".
template <class Row>
std::string csvHeader(Schema<Row> schema) {
  std::string header;
  for (const Field<Row>& field : schema) {
    if (!header.empty()) header += ',';
    header += field.info.name;
  }
  return header + '\n';
}

// One line with its end, appended to `out` (a writer's buffer).
template <class Row>
void appendCsvLine(std::string& out, Schema<Row> schema, const Row& row) {
  bool first = true;
  for (const Field<Row>& field : schema) {
    if (!first) out += ',';
    first = false;
    appendCsvCell(out, field.get(row));
  }
  out += '\n';
}

// One line, with its end.
template <class Row>
std::string csvLine(Schema<Row> schema, const Row& row) {
  std::string line;
  appendCsvLine(line, schema, row);
  return line;
}

}  // namespace ascent

// The fields every design study's result begins and ends with: which
// program made it from which thrust file, and the vehicle flown.
#pragma once

#include <vector>

#include "ascent/fly.h"
#include "ascent/schema.h"

namespace ascent {

// The first three fields of a result R with a `thrustFile`, and its last,
// of a result with a `vehicle`.
template <class R>
constexpr Field<R> programField{{"program", "", FieldType::Text, "", "ascent"},
                                [](const R&) { return Value("ascent"); }};
template <class R>
constexpr Field<R> versionField{{"version", "", FieldType::Text, "", "the program's version"},
                                [](const R&) { return Value(version()); }};
template <class R>
constexpr Field<R> thrustFileField{
    {"thrust_file", "", FieldType::Text, "", "the booster thrust history flown, as given"},
    [](const R& r) { return Value(r.thrustFile); }};
template <class R>
constexpr Field<R> vehicleField{
    {"vehicle", "", FieldType::Object, "", "the vehicle flown: its changes from the defaults"},
    [](const R& r) { return vehicleValue(r.vehicle); }};

// Every row as its object, in order.
template <class Row>
Value listOf(Schema<Row> schema, const std::vector<Row>& rows) {
  Value list = Value::list();
  for (const Row& row : rows) list.push(toValue(schema, row));
  return list;
}

}  // namespace ascent

// What a study gives, described once: a value tree every writer reads (the
// command line's JSON, the Python module's dict), the fields of a result with
// their names, units, types and null rules (the CSV header, the Python
// table's columns, the manual), and the domains of a study's settings (the
// command line refuses a value outside them with status 2, the Python module
// with ValueError, in the same words).
//
// A quantity has one name whichever door it leaves by, with its SI unit in
// the name (`perigee_m`, `SC_M_kg`, `max_dynamic_pressure_Pa`); kilometres
// and kilopascals appear only in text meant to be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascent/errors.h"
#include "ascent/text.h"

namespace ascent {

// JSON's data model: null, a flag, a whole number, a real, a text, a list, or
// an object whose keys keep the order they were added in. A real that is not
// finite is written as null by every writer.
class Value {
 public:
  enum class Kind { Null, Flag, Integer, Unsigned, Real, Text, List, Object };
  using Member = std::pair<std::string, Value>;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool flag) : kind_(Kind::Flag), flag_(flag) {}
  Value(int number) : kind_(Kind::Integer), integer_(number) {}
  Value(long number) : kind_(Kind::Integer), integer_(number) {}
  Value(long long number) : kind_(Kind::Integer), integer_(number) {}
  Value(unsigned number) : kind_(Kind::Unsigned), unsigned_(number) {}
  Value(unsigned long number) : kind_(Kind::Unsigned), unsigned_(number) {}
  Value(unsigned long long number) : kind_(Kind::Unsigned), unsigned_(number) {}
  Value(double number) : kind_(Kind::Real), real_(number) {}
  Value(std::string text) : kind_(Kind::Text), text_(std::move(text)) {}
  Value(std::string_view text) : kind_(Kind::Text), text_(text) {}
  Value(const char* text) : kind_(Kind::Text), text_(text) {}

  static Value list(std::vector<Value> items = {});
  static Value object(std::vector<Member> members = {});

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool flag() const { return flag_; }
  std::int64_t integer() const { return integer_; }
  std::uint64_t whole() const { return unsigned_; }
  // A number of any kind as a real (NaN for null).
  double real() const;
  const std::string& text() const { return text_; }
  const std::vector<Value>& items() const { return items_; }
  const std::vector<Member>& members() const { return members_; }

  // Appends to a list.
  Value& push(Value item);
  // Appends a member to an object (keys are not checked for repeats).
  Value& add(std::string key, Value value);
  // The member named `key`, or null when there is none.
  const Value* find(std::string_view key) const;
  const Value& operator[](std::string_view key) const;

  friend bool operator==(const Value& a, const Value& b);

 private:
  Kind kind_ = Kind::Null;
  bool flag_ = false;
  std::int64_t integer_ = 0;
  std::uint64_t unsigned_ = 0;
  double real_ = 0;
  std::string text_;
  std::vector<Value> items_;
  std::vector<Member> members_;
};

// A real, or null when it is not finite or not `present`.
inline Value realOrNull(double value, bool present = true) {
  return present ? Value(value) : Value();
}

// What kind of value a field holds.
enum class FieldType {
  Real,     // a double, written in its shortest exact form
  Integer,  // a whole number
  Text,     // a name from a fixed list (an enum's name) or free text
  Flag,     // true or false
  Object,   // a group of fields of its own
  List,     // a list of values or objects
};
// "real", "integer", "text", "flag", "object", "list".
std::string_view fieldTypeName(FieldType type);

// One field of a result, as the writers and the manual describe it.
struct FieldInfo {
  std::string_view name;  // "perigee_m": SI unit in the name
  std::string_view unit;  // "m"; empty for a pure number or a name
  FieldType type = FieldType::Real;
  std::string_view nullWhen;  // empty: never null; else when it is
  std::string_view meaning;   // one line for the manual
};

// A field and how to read it from a result of type Row.
template <class Row>
struct Field {
  FieldInfo info;
  Value (*get)(const Row& row);
};

// The fields of a result, in the order every writer writes them.
template <class Row>
using Schema = std::span<const Field<Row>>;

// The object of a result: every field in schema order.
template <class Row>
Value toValue(Schema<Row> schema, const Row& row) {
  Value value = Value::object();
  for (const Field<Row>& field : schema) value.add(std::string(field.info.name), field.get(row));
  return value;
}

// The schema's field descriptions, for the manual and the CSV header.
template <class Row>
std::vector<FieldInfo> fieldInfos(Schema<Row> schema) {
  std::vector<FieldInfo> infos;
  infos.reserve(schema.size());
  for (const Field<Row>& field : schema) infos.push_back(field.info);
  return infos;
}

// A number of a study's settings and the values it may take. Settings hold
// SI values; the domain is shown in the unit a reader thinks in.
template <class Settings>
struct SettingDomain {
  std::string_view name;  // the field, as Python's keyword: "altitude_m"
  std::string_view what;  // in words: "the target altitude"
  double (*get)(const Settings& settings);
  double lowest = 0, highest = 0;  // SI
  bool lowestIncluded = true;
  bool whole = false;     // a whole number
  std::string_view unit;  // the unit shown: "km", "deg", "s"; empty for a count
  double siPerUnit = 1;   // 1000 for km shown of a value in m
  bool highestIncluded = true;
  // A setting that may be left out (a limit not given) holds +infinity then,
  // which is inside its domain; every value given must lie inside it.
  bool infinityIsNone = false;
};

// Why `value` is outside its domain, in the words both doors use ("the target
// altitude 0.5 km is outside 1 to 100000 km"); empty when it is inside. All
// three numbers are in the unit shown.
std::string domainProblem(std::string_view what, double value, double lowest, double highest,
                          bool lowestIncluded, bool whole, std::string_view unit,
                          bool highestIncluded = true);
// The same for an SI value and its domain.
template <class Settings>
std::string domainProblem(const SettingDomain<Settings>& d, double value_si) {
  if (d.infinityIsNone && value_si == std::numeric_limits<double>::infinity()) return {};
  return domainProblem(d.what, value_si / d.siPerUnit, d.lowest / d.siPerUnit,
                       d.highest / d.siPerUnit, d.lowestIncluded, d.whole, d.unit,
                       d.highestIncluded);
}

// A setting that a study refuses: its field and why, in the words both doors
// use. The command line names its option for the field, Python its keyword.
struct SettingProblem {
  std::string setting;  // the field ("target_altitude_m"); empty for a rule of several fields
  std::string problem;  // empty: none
  // The unit a value refused by this rule was likely meant in, when a door
  // took it as a number without one in the unit shown: "m" for a tolerance
  // in km that reaches the ground. Empty when units do not explain it.
  std::string slipUnit = {};
  bool empty() const { return problem.empty(); }
};

// The first value of `settings` outside its domain; empty when none is.
template <class Settings>
SettingProblem settingsProblem(std::span<const SettingDomain<Settings>> table,
                               const Settings& settings) {
  for (const SettingDomain<Settings>& d : table) {
    std::string problem = domainProblem(d, d.get(settings));
    if (!problem.empty()) return {std::string(d.name), std::move(problem)};
  }
  return {};
}

// Throws InputError with the problem, its setting and its slip unit; returns
// when there is none.
void refuseSetting(const SettingProblem& problem);

// The domain named `name` (a settings field), or null.
template <class Settings>
const SettingDomain<Settings>* findDomain(std::span<const SettingDomain<Settings>> table,
                                          std::string_view name) {
  for (const SettingDomain<Settings>& d : table) {
    if (d.name == name) return &d;
  }
  return nullptr;
}

}  // namespace ascent

// The value tree of results and the domains of settings (ascent/schema.h).
#include "ascent/schema.h"

#include <cmath>
#include <limits>

namespace ascent {

Value Value::list(std::vector<Value> items) {
  Value value;
  value.kind_ = Kind::List;
  value.items_ = std::move(items);
  return value;
}

Value Value::object(std::vector<Member> members) {
  Value value;
  value.kind_ = Kind::Object;
  value.members_ = std::move(members);
  return value;
}

double Value::real() const {
  switch (kind_) {
    case Kind::Integer:
      return static_cast<double>(integer_);
    case Kind::Unsigned:
      return static_cast<double>(unsigned_);
    case Kind::Real:
      return real_;
    case Kind::Null:
    case Kind::Flag:
    case Kind::Text:
    case Kind::List:
    case Kind::Object:
      break;
  }
  return std::numeric_limits<double>::quiet_NaN();
}

Value& Value::push(Value item) {
  items_.push_back(std::move(item));
  return items_.back();
}

Value& Value::add(std::string key, Value value) {
  members_.emplace_back(std::move(key), std::move(value));
  return members_.back().second;
}

const Value* Value::find(std::string_view key) const {
  for (const Member& member : members_) {
    if (member.first == key) return &member.second;
  }
  return nullptr;
}

const Value& Value::operator[](std::string_view key) const {
  static const Value null;
  const Value* member = find(key);
  return member != nullptr ? *member : null;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case Value::Kind::Null:
      return true;
    case Value::Kind::Flag:
      return a.flag_ == b.flag_;
    case Value::Kind::Integer:
      return a.integer_ == b.integer_;
    case Value::Kind::Unsigned:
      return a.unsigned_ == b.unsigned_;
    case Value::Kind::Real:
      // Every writer writes a non-finite real as null.
      return a.real_ == b.real_ || (!std::isfinite(a.real_) && !std::isfinite(b.real_));
    case Value::Kind::Text:
      return a.text_ == b.text_;
    case Value::Kind::List:
      return a.items_ == b.items_;
    case Value::Kind::Object:
      return a.members_ == b.members_;
  }
  return false;
}

std::string_view fieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::Real:
      return "real";
    case FieldType::Integer:
      return "integer";
    case FieldType::Text:
      return "text";
    case FieldType::Flag:
      return "flag";
    case FieldType::Object:
      return "object";
    case FieldType::List:
      break;
  }
  return "list";
}

std::string domainProblem(std::string_view what, double value, double lowest, double highest,
                          bool lowestIncluded, bool whole, std::string_view unit,
                          bool highestIncluded) {
  const std::string suffix = unit.empty() ? std::string() : " " + std::string(unit);
  const std::string given = std::string(what) + " " + readableText(value) + suffix;
  if (std::isnan(value)) return std::string(what) + " is not a number";
  const bool aboveLowest = lowestIncluded ? value >= lowest : value > lowest;
  const bool belowHighest = highestIncluded ? value <= highest : value < highest;
  if (!aboveLowest || !belowHighest) {
    std::string problem =
        given + " is outside " + readableText(lowest) + " to " + readableText(highest) + suffix;
    if (!lowestIncluded && !highestIncluded) {
      problem += ", " + readableText(lowest) + " and " + readableText(highest) + " excluded";
    } else if (!lowestIncluded || !highestIncluded) {
      problem += ", " + readableText(lowestIncluded ? highest : lowest) + " excluded";
    }
    return problem;
  }
  if (whole && value != std::floor(value)) return given + " is not a whole number";
  return {};
}

void refuseSetting(const SettingProblem& problem) {
  if (!problem.empty()) throw InputError({problem.problem}, problem.setting, problem.slipUnit);
}

}  // namespace ascent

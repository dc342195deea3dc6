#include <nlohmann/json.hpp>

#include "ascent/writers.h"

namespace ascent {

namespace {

nlohmann::ordered_json toJson(const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Null:
      return nullptr;
    case Value::Kind::Flag:
      return value.flag();
    case Value::Kind::Integer:
      return value.integer();
    case Value::Kind::Unsigned:
      return value.whole();
    case Value::Kind::Real:
      return value.real();  // nlohmann writes a non-finite number as null
    case Value::Kind::Text:
      return value.text();
    case Value::Kind::List: {
      nlohmann::ordered_json list = nlohmann::ordered_json::array();
      for (const Value& item : value.items()) list.push_back(toJson(item));
      return list;
    }
    case Value::Kind::Object:
      break;
  }
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const auto& [key, member] : value.members()) object[key] = toJson(member);
  return object;
}

}  // namespace

std::string jsonText(const Value& value) {
  return toJson(value).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace ascent

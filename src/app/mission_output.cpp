#include "app/mission_output.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "report/json_text.h"

namespace ascent {

namespace {

// The value tree in the JSON library's form: its text read back, which
// writes the same bytes again.
nlohmann::ordered_json libraryJson(const Value& value) {
  return nlohmann::ordered_json::parse(jsonText(value));
}

}  // namespace

nlohmann::ordered_json missionJson(const MissionResult& result, const std::string& thrustFile,
                                   double minimumPerigee_m) {
  return libraryJson(missionValue(FlownMission{result, thrustFile, minimumPerigee_m}));
}

nlohmann::ordered_json vehicleJson(const Vehicle& vehicle) {
  return libraryJson(vehicleValue(vehicle));
}

std::string jsonText(const nlohmann::ordered_json& value) {
  // Invalid UTF-8 in a failure reason (a thrust-file token) is replaced, not thrown.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void throwFileError(const std::string& what, const std::string& name) {
  const int code = errno != 0 ? errno : 5;
  throw Error(code, what + " " + name + ": " + std::strerror(code));
}

}  // namespace ascent

// What the commands print of a mission: numbers in their shortest exact form,
// the mission's state in words, its JSON object, and how a search sees it.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

#include "ascent/ascent.h"
#include "ascent/study.h"
#include "ascent/text.h"

namespace ascent {

// "1 mission", "25 missions".
std::string count(std::size_t number, const std::string& noun);

// printf-style formatting into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// "orbit", "abandoned: fell below the surface", "failed (106): reason", ...
std::string outcomeText(const MissionResult& result);

// outcomeText, or for an orbit that is not one: "suborbital: perigee
// -205.9 km", "escape".
std::string flightText(const MissionResult& result,
                       double minimumPerigee_m = defaultMinimumPerigee_m);

// Every number of a mission with full precision, its inputs and the program
// version; keys in snake_case with unit suffixes, null for a value the
// mission never computed.
nlohmann::ordered_json missionJson(const MissionResult& result, const std::string& thrustFile,
                                   double minimumPerigee_m = defaultMinimumPerigee_m);

// The vehicle flown: the keys that differ from the defaults, each with its
// default and its value, and the hash of the whole description in canonical
// form. The same for the default vehicle and a file that describes it.
nlohmann::ordered_json vehicleJson(const Vehicle& vehicle);

// The JSON text of a value: one line, numbers that read back exactly,
// non-finite numbers as null.
std::string jsonText(const nlohmann::ordered_json& value);

// A file that could not be written: Error with the operating system's number.
[[noreturn]] void throwFileError(const std::string& what, const std::string& name);

}  // namespace ascent

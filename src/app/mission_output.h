// What the commands print: printf-style text, the JSON text of the commands
// that still build their output with the JSON library, and the error of a
// file that could not be written.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

#include "ascent/results.h"
#include "report/printf_text.h"

namespace ascent {

// A flown mission's object (missionValue) for a command that builds its JSON
// with the JSON library.
nlohmann::ordered_json missionJson(const MissionResult& result, const std::string& thrustFile,
                                   double minimumPerigee_m = defaultMinimumPerigee_m);

// The vehicle flown (vehicleValue), the same way.
nlohmann::ordered_json vehicleJson(const Vehicle& vehicle);

// The JSON text of a value: one line, numbers that read back exactly,
// non-finite numbers as null.
std::string jsonText(const nlohmann::ordered_json& value);

// A file that could not be written: Error with the operating system's number.
[[noreturn]] void throwFileError(const std::string& what, const std::string& name);

}  // namespace ascent

// What is wrong with a file that toml++ cannot parse, in the words of this
// program's other number checks where toml++'s own would mislead.
#pragma once

#include <toml++/toml.h>

#include <string>
#include <string_view>

namespace ascent {

// The problem of `error`, raised parsing `text`, without its file and line.
// A number too large for TOML is out of range, named with its key (and
// table): "core.thrust_N = 99999999999999999999 is out of range of a TOML
// integer (-9223372036854775808 to 9223372036854775807; 99999999999999999999.0
// is a real number)"; every other problem in toml++'s words.
std::string tomlProblem(const toml::parse_error& error, std::string_view text);

}  // namespace ascent

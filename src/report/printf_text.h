// Text assembled the way printf assembles it, for summaries and messages.
#pragma once

#include <cstddef>
#include <string>

namespace ascent {

// printf-style formatting into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// "1 mission", "25 missions".
std::string count(std::size_t number, const std::string& noun);

}  // namespace ascent

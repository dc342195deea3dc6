// What the commands print besides their results: printf-style text and the
// error of a file that could not be written.
#pragma once

#include <string>

#include "ascent/results.h"
#include "report/printf_text.h"

namespace ascent {

// A file that could not be written: Error with the operating system's number.
[[noreturn]] void throwFileError(const std::string& what, const std::string& name);

}  // namespace ascent

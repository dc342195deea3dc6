// The one way to fail (ascent/errors.h), and the error of a failed system call.
#pragma once

#include <string>

#include "ascent/errors.h"

namespace ascent {

// An Error for a failed system call on `what` (a file name), from errno.
[[noreturn]] void throwSystemError(int err, const std::string& action, const std::string& what);

}  // namespace ascent

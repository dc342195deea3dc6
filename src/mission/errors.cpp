// The error of a failed system call (ascent/errors.h), defined in the lowest
// layer that makes one: the mission reads its input files.
#include "ascent/errors.h"

#include <cerrno>
#include <cstring>

namespace ascent {

void throwSystemError(int err, const std::string& action, const std::string& what) {
  if (err == 0) err = EIO;
  throw Error(err, action + " " + what + ": " + std::strerror(err));
}

}  // namespace ascent

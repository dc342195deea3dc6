#include "app/mission_output.h"

#include <cerrno>
#include <cstring>

namespace ascent {

void throwFileError(const std::string& what, const std::string& name) {
  const int code = errno != 0 ? errno : EIO;
  throw Error(code, what + " " + name + ": " + std::strerror(code));
}

}  // namespace ascent

#include "mission/run_error.h"

#include <cstring>

namespace ascent {

// Defined with its declaration: the mission layer (readInputFile)
// throws it, and a layer must not need one above it to link.
void throwSystemError(int err, const std::string& action, const std::string& what) {
  throw Error(err, action + " " + what + ": " + std::strerror(err));
}

}  // namespace ascent

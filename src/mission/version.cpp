#include "ascent/version.h"

#include "ascent/ascent.h"

namespace ascent {

std::string_view version() {
  return ASCENT_VERSION;
}

}  // namespace ascent

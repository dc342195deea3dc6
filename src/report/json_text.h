// Results as JSON text: the value tree of a study (ascent/schema.h) on one
// line, numbers that read back exactly, non-finite reals as null.
#pragma once

#include <string>

#include "ascent/schema.h"

namespace ascent {

// One line without its end. Invalid UTF-8 in a text (a thrust-file token in
// a failure reason) is replaced, not refused.
std::string jsonText(const Value& value);

}  // namespace ascent

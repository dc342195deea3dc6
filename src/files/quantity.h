// Numbers with their units as a user writes them (ascent/grammar.h), and
// what the ranges need besides: the decimals a value was written with.
#pragma once

#include <string_view>

#include "ascent/grammar.h"

namespace ascent {

// A quantity and the decimals it was written with, in the unit shown:
// "150100m" of km 3, "5km" 0; 17 for a unit that is no power of ten of the
// unit shown. A range rounds its values to them.
struct WrittenQuantity {
  Quantity quantity;
  int decimals = 0;
};
// Reads `text` as readQuantity does, but returns false, not refusing it,
// when it does not begin with a number; a unit it cannot take is refused.
bool readWrittenQuantity(std::string_view text, std::string_view unit, WrittenQuantity& written);

// The decimals a number is written with, 0 to 17: "0.05" 2, "5" 0, "1e-3" 3.
int decimalsOf(std::string_view text);

}  // namespace ascent

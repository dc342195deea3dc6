// Number fields of the report and the data files. A real is written in
// fixed-point notation, correctly rounded from its exact binary value, right-
// aligned in its field and in full when it needs more room; a whole-number
// field is the value rounded to the nearest integer, halves to even.
#pragma once

#include <string>

#include "physics/rounding.h"

namespace ascent {

// Appends `value` with `decimals` digits after the point in a field of `width`.
void appendFixed(std::string& out, double value, int width, int decimals);

// Appends roundHalfEven(value) as an integer in a field of `width`.
void appendWhole(std::string& out, double value, int width);

}  // namespace ascent

// Fixed-point fields written straight into a caller's buffer. The digits are
// those of printf's "%*.*f" applied to value + 0.0: the exact binary value
// correctly rounded, halves to even, right-aligned in `width` and in full when
// longer; negative zero prints without its sign, a negative value that rounds
// to zero keeps it ("-0.00").
#pragma once

namespace ascent {

// Most characters writeFixed and writeWhole write: the field width, or the
// longest number (309 integer digits of the largest double, a sign, the
// point and the decimals), whichever is more.
constexpr int fixedFieldRoom(int width, int decimals) {
  const int longest = 311 + decimals;
  return width > longest ? width : longest;
}

// Writes `value` with `decimals` (>= 0) digits after the point in a field of
// `width`; `out` has room for fixedFieldRoom(width, decimals) characters.
// Returns the end of the field; what the room holds after it is unspecified.
char* writeFixed(char* out, double value, int width, int decimals);

// Writes `value` rounded to the nearest whole number, halves to even, in a
// field of `width`; never "-0". `out` has room for fixedFieldRoom(width, 0);
// as with writeFixed, what the room holds after the field is unspecified.
char* writeWhole(char* out, double value, int width);

}  // namespace ascent

#include "report/number_format.h"

#include <charconv>
#include <cmath>

#include "report/fixed_format.h"

namespace ascent {

namespace {
// Fields up to this size are written in place on the stack; only a wider
// field or one with more decimals than the longest double can need takes the
// general path below.
constexpr int fieldBufferSize = 400;

bool fitsFieldBuffer(int width, int decimals) {
  return width <= fieldBufferSize && decimals >= 0 &&
         decimals <= fieldBufferSize - fixedFieldRoom(0, 0);
}
}  // namespace

void appendFixed(std::string& out, double value, int width, int decimals) {
  if (fitsFieldBuffer(width, decimals)) {
    char field[fieldBufferSize];
    out.append(field, static_cast<std::size_t>(writeFixed(field, value, width, decimals) - field));
    return;
  }
  // Room for the 309 integer digits of the largest double, a sign and the
  // decimals. to_chars rounds the exact binary value as printf's %.*f does.
  char digits[400];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value + 0.0,
                                          std::chars_format::fixed, decimals);
  if (error != std::errc()) {
    out.append("?");  // only for more decimals than the buffer holds, which no field asks for
    return;
  }
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < static_cast<std::size_t>(width))
    out.append(static_cast<std::size_t>(width) - length, ' ');
  out.append(digits, length);
}

void appendWhole(std::string& out, double value, int width) {
  if (fitsFieldBuffer(width, 0)) {
    char field[fieldBufferSize];
    out.append(field, static_cast<std::size_t>(writeWhole(field, value, width) - field));
    return;
  }
  appendFixed(out, roundHalfEven(value), width, 0);
}

}  // namespace ascent

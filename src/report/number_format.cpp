#include "report/number_format.h"

#include <cmath>
#include <charconv>

namespace ascent {

void appendFixed(std::string& out, double value, int width, int decimals) {
  // Room for the 309 integer digits of the largest double, a sign and the
  // decimals. to_chars rounds the exact binary value as printf's %.*f does.
  char digits[400];
  const auto [end, error] =
      std::to_chars(digits, digits + sizeof digits, value + 0.0, std::chars_format::fixed, decimals);
  if (error != std::errc()) {
    out.append("?");  // only for more decimals than the buffer holds, which no field asks for
    return;
  }
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < static_cast<std::size_t>(width)) out.append(static_cast<std::size_t>(width) - length, ' ');
  out.append(digits, length);
}

void appendWhole(std::string& out, double value, int width) {
  appendFixed(out, roundHalfEven(value), width, 0);
}

}  // namespace ascent

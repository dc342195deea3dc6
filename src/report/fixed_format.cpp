#include "report/fixed_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ascent {
namespace detail {

namespace {

struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = static_cast<char>('0' + i / 10);
      text[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
  }
};
constexpr DigitPairs digitPairs;

// `magnitude` (finite, below 2^52) times 10^decimals, rounded to the nearest
// integer from its exact value, halves to even; false when that product
// reaches 2^52.
bool roundScaled(double magnitude, int decimals, std::uint64_t& scaled) {
  const double scale = powersOfTen[decimals];
  const double product = magnitude * scale;  // rounded
  if (!(product < twoTo52)) return false;
  const double shifted = product + twoTo52;
  scaled = std::bit_cast<std::uint64_t>(shifted) - twoTo52Bits;
  // Exact: both are multiples of the spacing at `product` (at most 1/2) and
  // lie within 1/2 of each other. Away from a half, `offset` is a multiple of
  // that spacing below 1/2 in size and the rounding error of the product is at
  // most half a spacing, so the exact product rounds to `scaled` too.
  const double offset = product - (shifted - twoTo52);
  if (offset == 0.5 || offset == -0.5) {
    // `product` lies halfway between `scaled` (even) and its neighbour on the
    // side of `offset`; the rounding error of the product decides. It is a
    // multiple of 2^-1074, so the fused multiply-add returns it with its sign,
    // zero only when the product was exact and the half a true tie, which
    // stays at even.
    const double error = std::fma(magnitude, scale, -product);
    if (offset > 0 && error > 0) ++scaled;
    if (offset < 0 && error < 0) --scaled;
  }
  return true;
}

// Two digits at a time from the right.
char* writeDigitsBackwards(char* p, std::uint64_t n, int decimals) {
  int fraction = decimals;
  for (; fraction >= 2; fraction -= 2) {
    p -= 2;
    std::memcpy(p, digitPairs.text + 2 * (n % 100), 2);
    n /= 100;
  }
  if (fraction == 1) {
    *--p = static_cast<char>('0' + n % 10);
    n /= 10;
  }
  if (decimals > 0) *--p = '.';
  while (n >= 100) {
    p -= 2;
    std::memcpy(p, digitPairs.text + 2 * (n % 100), 2);
    n /= 100;
  }
  if (n >= 10) {
    p -= 2;
    std::memcpy(p, digitPairs.text + 2 * n, 2);
  } else {
    *--p = static_cast<char>('0' + n);
  }
  return p;
}

// Large values, NaN, infinities, more than maxFastDecimals decimals: to_chars
// rounds the exact binary value as printf's %.*f does.
char* writeByToChars(char* out, double value, int width, int decimals) {
  const int room = fixedFieldRoom(width, decimals);
  const char* const end =
      std::to_chars(out, out + room, value, std::chars_format::fixed, decimals).ptr;
  const int length = static_cast<int>(end - out);
  if (length >= width) return out + length;
  std::memmove(out + (width - length), out, static_cast<std::size_t>(length));
  std::memset(out, ' ', static_cast<std::size_t>(width - length));
  return out + width;
}

// Any field; writes nothing past it. A whole field is rounded to 0 decimals
// and never shows "-0".
}  // namespace

[[gnu::noinline]] char* writeAnyField(char* out, double value, int width, int decimals,
                                      bool whole) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & magnitudeMask;
  std::uint64_t scaled;
  if (magnitudeBits < twoTo52Bits && decimals <= maxFastDecimals &&
      roundScaled(std::bit_cast<double>(magnitudeBits), decimals, scaled)) {
    // value + 0.0 drops the sign of a zero, not of a value that rounds to zero.
    const bool negative = bits != magnitudeBits && (whole ? scaled != 0 : magnitudeBits != 0);
    const int countedDigits = countDigits(scaled);
    const int shown = countedDigits > decimals ? countedDigits : decimals + 1;
    const int length = (negative ? 1 : 0) + shown + (decimals > 0 ? 1 : 0);
    if (width > length) {
      std::memset(out, ' ', static_cast<std::size_t>(width - length));
      out += width - length;
    }
    if (negative) *out++ = '-';
    char* const end = out + shown + (decimals > 0 ? 1 : 0);
    writeDigitsBackwards(end, scaled, decimals);
    return end;
  }
  // nearbyint rounds halves to even in the program's rounding mode.
  return writeByToChars(out, (whole ? std::nearbyint(value) : value) + 0.0, width, decimals);
}

}  // namespace detail

char* writeFixed(char* out, double value, int width, int decimals) {
  return detail::writeField(out, value, width, decimals, false);
}

char* writeWhole(char* out, double value, int width) {
  return detail::writeField(out, value, width, 0, true);
}

}  // namespace ascent

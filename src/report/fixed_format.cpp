#include "report/fixed_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ascent {

namespace {

// 10^d is exact in a double while 5^d < 2^53, that is up to d = 22.
constexpr int maxFastDecimals = 22;
constexpr double powersOfTen[maxFastDecimals + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
// 10^0 to 10^16: the digit counts of the integers below 2^53.
struct IntegerPowersOfTen {
  std::uint64_t value[17];
  constexpr IntegerPowersOfTen() : value() {
    std::uint64_t power = 1;
    for (std::uint64_t& v : value) {
      v = power;
      power *= 10;
    }
  }
};
constexpr IntegerPowersOfTen integerPowersOfTen;

// Below 2^52 a double rounds to the nearest integer, halves to even, by adding
// 2^52: the sum lies where the spacing of doubles is exactly 1, and its
// significand bits are that integer.
constexpr double twoTo52 = 4503599627370496.0;
constexpr std::uint64_t twoTo52Bits = std::bit_cast<std::uint64_t>(twoTo52);
constexpr std::uint64_t magnitudeMask = ~(std::uint64_t{1} << 63);

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

// Decimal digits of n < 2^53 (none for 0): the bit length times log10(2)
// (1233 / 4096) is the digit count or one less.
int countDigits(std::uint64_t n) {
  const int bits = 64 - std::countl_zero(n | 1);
  const int guess = (bits * 1233) >> 12;
  return guess + (n >= integerPowersOfTen.value[guess] ? 1 : 0);
}

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

// The eight decimal digits of x < 10^8 as numbers 0 to 9, the first in the
// lowest byte: the two halves of four digits, then each half's hundreds and
// rest, then each pair's tens and units, split side by side in the lanes of
// one word. y / 100 is (y * 10486) >> 20 for y < 10^4, z / 10 is
// (z * 103) >> 10 for z < 100, and no lane overflows into the next.
[[gnu::always_inline]] inline std::uint64_t eightDigits(std::uint32_t x) {
  static_assert(std::endian::native == std::endian::little);
  std::uint64_t v = (x / 10000) | (std::uint64_t{x % 10000} << 32);
  const std::uint64_t hundreds = ((v * 10486) >> 20) & 0x0000'007f'0000'007f;
  v = hundreds | ((v - hundreds * 100) << 16);
  const std::uint64_t tens = ((v * 103) >> 10) & 0x000f'000f'000f'000f;
  return tens | ((v - tens * 10) << 8);
}

// Every field of the program: at most 16 wide, at most 7 decimals, a scaled
// value below 10^8 that is not within rounding of a half. A leaf without
// calls; anything else goes on to writeAnyField. The digits are stored as
// shifted copies of one word, the units and then the decimals, each store
// running on past the field into the room.
constexpr int narrowWidth = 16;
constexpr int narrowDecimals = 7;
static_assert(fixedFieldRoom(0, 0) >= narrowWidth + 1 + 8 + 1 + 8);

[[gnu::always_inline]] inline char* writeField(char* out, double value, int width, int decimals,
                                               bool whole) {
  // Bit tests, not comparisons: a NaN must not raise the invalid-operation trap.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & magnitudeMask;
  if (magnitudeBits >= twoTo52Bits || width > narrowWidth || decimals > narrowDecimals) {
    return writeAnyField(out, value, width, decimals, whole);
  }
  const double product = std::bit_cast<double>(magnitudeBits) * powersOfTen[decimals];
  if (!(product < 99'999'999.0)) return writeAnyField(out, value, width, decimals, whole);
  const double shifted = product + twoTo52;
  const std::uint64_t scaled = std::bit_cast<std::uint64_t>(shifted) - twoTo52Bits;
  // At a half the exact product decides; see roundScaled.
  if (std::fabs(product - (shifted - twoTo52)) == 0.5) {
    return writeAnyField(out, value, width, decimals, whole);
  }
  const bool negative = bits != magnitudeBits && (whole ? scaled != 0 : magnitudeBits != 0);

  // The digit count comes from `scaled` itself rather than from the digits,
  // so that the end of the field does not wait for them.
  const int counted = countDigits(scaled);
  const int shown = counted > decimals ? counted : decimals + 1;
  const int length = (negative ? 1 : 0) + shown + (decimals > 0 ? 1 : 0);
  std::memcpy(out, "                ", narrowWidth);
  if (width > length) out += width - length;
  *out = '-';
  out += negative ? 1 : 0;
  const std::uint64_t digits = eightDigits(static_cast<std::uint32_t>(scaled));
  constexpr std::uint64_t zeroCharacters = 0x3030'3030'3030'3030;
  const std::uint64_t fromUnits = (digits >> (8 * (8 - shown))) + zeroCharacters;
  std::memcpy(out, &fromUnits, 8);
  out += shown - decimals;
  if (decimals == 0) return out;
  *out++ = '.';
  const std::uint64_t fromDecimals = (digits >> (8 * (8 - decimals))) + zeroCharacters;
  std::memcpy(out, &fromDecimals, 8);
  return out + decimals;
}

}  // namespace

char* writeFixed(char* out, double value, int width, int decimals) {
  return writeField(out, value, width, decimals, false);
}

char* writeWhole(char* out, double value, int width) {
  return writeField(out, value, width, 0, true);
}

}  // namespace ascent

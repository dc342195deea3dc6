#include "driver/fixed_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ascent {

namespace {

// 10^d is exact in a double while 5^d < 2^53, that is up to d = 22.
constexpr int maxFastDecimals = 22;
constexpr double powersOfTen[maxFastDecimals + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t integerPowersOfTen[] = {
    1u,          10u,          100u,          1000u,          10000u,          100000u,
    1000000u,    10000000u,    100000000u,    1000000000u,    10000000000u,    100000000000u,
    1000000000000u, 10000000000000u, 100000000000000u, 1000000000000000u, 10000000000000000u};

// Below 2^52 a double rounds to the nearest integer, halves to even, by adding
// and removing 2^52: the sum lies where the spacing of doubles is exactly 1.
constexpr double twoTo52 = 4503599627370496.0;
constexpr std::uint64_t magnitudeMask = ~(std::uint64_t{1} << 63);
constexpr std::uint64_t twoTo52Bits = std::bit_cast<std::uint64_t>(twoTo52);

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
  return guess + (n >= integerPowersOfTen[guess] ? 1 : 0);
}

// `magnitude` (finite, below 2^52) times 10^decimals, rounded to the nearest
// integer from its exact value, halves to even; false when that product
// reaches 2^52.
bool roundScaled(double magnitude, int decimals, std::uint64_t& scaled) {
  const double scale = powersOfTen[decimals];
  const double product = magnitude * scale;  // rounded
  if (!(product < twoTo52)) return false;
  const double nearest = (product + twoTo52) - twoTo52;
  // Exact: both are multiples of the spacing at `product` (at most 1/2) and
  // lie within 1/2 of each other.
  const double offset = product - nearest;
  std::uint64_t n = static_cast<std::uint64_t>(nearest);
  // Away from a half, `offset` is a multiple of that spacing below 1/2 in size
  // and the rounding error of the product is at most half a spacing, so the
  // exact product rounds to `nearest` too. At a half (where `nearest` is even)
  // the side of the exact product decides. That error is a multiple of
  // 2^-1074, so the fused multiply-add returns it with its sign, zero only when
  // the product was exact and the half a true tie, which stays at even.
  if (offset == 0.5) {
    if (std::fma(magnitude, scale, -product) > 0) ++n;
  } else if (offset == -0.5) {
    if (std::fma(magnitude, scale, -product) < 0) --n;
  }
  scaled = n;
  return true;
}

// The field of `scaled` / 10^decimals.
char* writeScaled(char* out, std::uint64_t scaled, bool negative, int width, int decimals) {
  const int countedDigits = countDigits(scaled);
  const int digits = countedDigits > decimals ? countedDigits : decimals + 1;
  const int length = (negative ? 1 : 0) + digits + (decimals > 0 ? 1 : 0);
  for (int pad = width - length; pad > 0; --pad) *out++ = ' ';
  if (negative) *out++ = '-';
  char* const end = out + digits + (decimals > 0 ? 1 : 0);
  char* p = end;
  int fraction = decimals;
  for (; fraction >= 2; fraction -= 2) {
    p -= 2;
    std::memcpy(p, digitPairs.text + 2 * (scaled % 100), 2);
    scaled /= 100;
  }
  if (fraction == 1) {
    *--p = static_cast<char>('0' + scaled % 10);
    scaled /= 10;
  }
  if (decimals > 0) *--p = '.';
  while (scaled >= 100) {
    p -= 2;
    std::memcpy(p, digitPairs.text + 2 * (scaled % 100), 2);
    scaled /= 100;
  }
  if (scaled >= 10) {
    std::memcpy(p - 2, digitPairs.text + 2 * scaled, 2);
  } else {
    p[-1] = static_cast<char>('0' + scaled);
  }
  return end;
}

// Every other value (large, NaN, infinite, many decimals): to_chars rounds
// the exact binary value as printf's %.*f does.
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

}  // namespace

char* writeFixed(char* out, double value, int width, int decimals) {
  // Bit tests, not comparisons: a NaN must not raise the invalid-operation trap.
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & magnitudeMask;
  std::uint64_t scaled;
  if (magnitudeBits < twoTo52Bits && decimals <= maxFastDecimals &&
      roundScaled(std::bit_cast<double>(magnitudeBits), decimals, scaled)) {
    // value + 0.0 drops the sign of a zero, not of a value that rounds to zero.
    const bool negative = bits != magnitudeBits && magnitudeBits != 0;
    return writeScaled(out, scaled, negative, width, decimals);
  }
  return writeByToChars(out, value + 0.0, width, decimals);
}

char* writeWhole(char* out, double value, int width) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & magnitudeMask;
  std::uint64_t rounded;
  if (magnitudeBits < twoTo52Bits && roundScaled(std::bit_cast<double>(magnitudeBits), 0, rounded)) {
    return writeScaled(out, rounded, bits != magnitudeBits && rounded != 0, width, 0);
  }
  // nearbyint rounds halves to even in the program's rounding mode; + 0.0
  // drops the sign of a negative zero.
  return writeByToChars(out, std::nearbyint(value) + 0.0, width, 0);
}

}  // namespace ascent

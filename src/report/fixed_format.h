// Fixed-point fields written straight into a caller's buffer. The digits are
// those of printf's "%*.*f" applied to value + 0.0: the exact binary value
// correctly rounded, halves to even, right-aligned in `width` and in full when
// longer; negative zero prints without its sign, a negative value that rounds
// to zero keeps it ("-0.00").
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The fast path, inline so that the callers' constant widths and decimals
// fold into it; fixed_format.cpp holds the rest.
namespace detail {

// 10^d is exact in a double while 5^d < 2^53, that is up to d = 22.
inline constexpr int maxFastDecimals = 22;
inline constexpr double powersOfTen[maxFastDecimals + 1] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
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
inline constexpr IntegerPowersOfTen integerPowersOfTen;

// Below 2^52 a double rounds to the nearest integer, halves to even, by adding
// 2^52: the sum lies where the spacing of doubles is exactly 1, and its
// significand bits are that integer.
inline constexpr double twoTo52 = 4503599627370496.0;
inline constexpr std::uint64_t twoTo52Bits = std::bit_cast<std::uint64_t>(twoTo52);
inline constexpr std::uint64_t magnitudeMask = ~(std::uint64_t{1} << 63);

// Decimal digits of n < 2^53 (none for 0): the bit length times log10(2)
// (1233 / 4096) is the digit count or one less.
inline int countDigits(std::uint64_t n) {
  const int bits = 64 - std::countl_zero(n | 1);
  const int guess = (bits * 1233) >> 12;
  return guess + (n >= integerPowersOfTen.value[guess] ? 1 : 0);
}

// Any field, by the general route; writes nothing past it.
char* writeAnyField(char* out, double value, int width, int decimals, bool whole);

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
inline constexpr int narrowWidth = 16;
inline constexpr int narrowDecimals = 7;
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

// A field split in two halves: its rounded value, then its placement once
// the digits are there, so that two fields can have their digits made at
// once.
struct ScaledField {
  std::uint64_t scaled;  // |value| * 10^decimals, rounded
  bool negative;         // shows a minus sign
  bool fast;             // the fast path applies; otherwise writeAnyField
};

template <int Width, int Decimals, bool Whole>
[[gnu::always_inline]] inline ScaledField scaleField(double value) {
  static_assert(Width <= narrowWidth && Decimals <= narrowDecimals);
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  const std::uint64_t magnitudeBits = bits & magnitudeMask;
  if (magnitudeBits >= twoTo52Bits) return {0, false, false};
  const double product = std::bit_cast<double>(magnitudeBits) * powersOfTen[Decimals];
  if (!(product < 99'999'999.0)) return {0, false, false};
  const double shifted = product + twoTo52;
  const std::uint64_t scaled = std::bit_cast<std::uint64_t>(shifted) - twoTo52Bits;
  if (std::fabs(product - (shifted - twoTo52)) == 0.5) return {0, false, false};
  const bool negative = bits != magnitudeBits && (Whole ? scaled != 0 : magnitudeBits != 0);
  return {scaled, negative, true};
}

template <int Width, int Decimals>
[[gnu::always_inline]] inline char* placeField(char* out, const ScaledField& field,
                                               std::uint64_t digits) {
  const int counted = countDigits(field.scaled);
  const int shown = counted > Decimals ? counted : Decimals + 1;
  const int length = (field.negative ? 1 : 0) + shown + (Decimals > 0 ? 1 : 0);
  std::memcpy(out, "                ", narrowWidth);
  if (Width > length) out += Width - length;
  *out = '-';
  out += field.negative ? 1 : 0;
  constexpr std::uint64_t zeroCharacters = 0x3030'3030'3030'3030;
  const std::uint64_t fromUnits = (digits >> (8 * (8 - shown))) + zeroCharacters;
  std::memcpy(out, &fromUnits, 8);
  out += shown - Decimals;
  if constexpr (Decimals == 0) {
    return out;
  } else {
    *out++ = '.';
    const std::uint64_t fromDecimals = (digits >> (8 * (8 - Decimals))) + zeroCharacters;
    std::memcpy(out, &fromDecimals, 8);
    return out + Decimals;
  }
}

// eightDigits of two numbers at once, in the two 64-bit lanes of a vector:
// the same steps, with the divisions by 10^4, 100 and 10 as multiplications
// (32 x 32 -> 64 bits for 10^4, the high or low 16 bits for 100 and 10).
[[gnu::always_inline]] inline void eightDigitsTwice(std::uint32_t a, std::uint32_t b,
                                                    std::uint64_t& digitsA,
                                                    std::uint64_t& digitsB) {
#if defined(__SSE2__)
  const __m128i x = _mm_set_epi64x(b, a);
  // x / 10000 as (x * 0xd1b71759) >> 45, and the remainder beside it.
  const __m128i quotient = _mm_srli_epi64(_mm_mul_epu32(x, _mm_set1_epi64x(0xd1b71759)), 45);
  const __m128i remainder = _mm_sub_epi64(x, _mm_mul_epu32(quotient, _mm_set1_epi64x(10000)));
  __m128i v = _mm_or_si128(quotient, _mm_slli_epi64(remainder, 32));
  // Each 16-bit half of four digits: y / 100 as (y * 10486) >> 20.
  const __m128i hundreds = _mm_srli_epi16(_mm_mulhi_epu16(v, _mm_set1_epi16(10486)), 4);
  v = _mm_or_si128(
      hundreds,
      _mm_slli_epi64(_mm_sub_epi16(v, _mm_mullo_epi16(hundreds, _mm_set1_epi16(100))), 16));
  // Each pair: z / 10 as (z * 103) >> 10.
  const __m128i tens = _mm_srli_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(103)), 10);
  v = _mm_or_si128(tens,
                   _mm_slli_epi16(_mm_sub_epi16(v, _mm_mullo_epi16(tens, _mm_set1_epi16(10))), 8));
  digitsA = static_cast<std::uint64_t>(_mm_cvtsi128_si64(v));
  digitsB = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)));
#else
  digitsA = eightDigits(a);
  digitsB = eightDigits(b);
#endif
}

}  // namespace detail

// writeFixed and writeWhole for a field whose width and decimals are known
// where it is written.
template <int Width, int Decimals>
inline char* writeFixedField(char* out, double value) {
  return detail::writeField(out, value, Width, Decimals, false);
}
template <int Width>
inline char* writeWholeField(char* out, double value) {
  return detail::writeField(out, value, Width, 0, true);
}

// Two fields, each with the same bytes as writeFixedField (or
// writeWholeField, where Whole) would write, their digits made together. The
// first goes to `out`; the second to `second`, or right after the first when
// `second` is null. Returns the end of the second; `firstEnd` is the end of
// the first.
template <int Width1, int Decimals1, bool Whole1, int Width2, int Decimals2, bool Whole2>
inline char* writeTwoFields(char* out, double value1, char* second, double value2,
                            char*& firstEnd) {
  using namespace detail;
  const ScaledField field1 = scaleField<Width1, Decimals1, Whole1>(value1);
  const ScaledField field2 = scaleField<Width2, Decimals2, Whole2>(value2);
  if (!field1.fast || !field2.fast) {
    firstEnd = writeField(out, value1, Width1, Decimals1, Whole1);
    return writeField(second != nullptr ? second : firstEnd, value2, Width2, Decimals2, Whole2);
  }
  std::uint64_t digits1, digits2;
  eightDigitsTwice(static_cast<std::uint32_t>(field1.scaled),
                   static_cast<std::uint32_t>(field2.scaled), digits1, digits2);
  firstEnd = placeField<Width1, Decimals1>(out, field1, digits1);
  return placeField<Width2, Decimals2>(second != nullptr ? second : firstEnd, field2, digits2);
}

}  // namespace ascent

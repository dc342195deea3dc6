// Checks the report's fixed-point writers against printf on many random values:
// every field the program prints, values drawn as in the unit test (random bit
// patterns, magnitudes from 1e-6 to 1e12, near and exact rounding halves).
//
//   cmake --build build -j2 --target check_number_format
//   build/tests/check_number_format [values [seed]]   # default 100000000 values, seed 1
//
// A hundred million values take about 80 s on one core (2.6 GHz). A run of a
// million values or more then sends every integer below 10^8 through the
// digit making of two fields at once and compares it with the digits of one
// field (under a second). Prints the first
// mismatches, exits 1 if there were any, 0 otherwise.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/fixed_format.h"
#include "report/fixed_format_reference.h"

int main(int argc, char** argv) {
  using namespace ascent::fixed_format_check;
  const long long count = argc > 1 ? std::atoll(argv[1]) : 100'000'000LL;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  if (count <= 0) {
    std::fprintf(stderr, "usage: %s [values [seed]]\n", argv[0]);
    return 2;
  }
  constexpr long long fieldCount = std::size(programFields);
  constexpr long long progressInterval = 10'000'000;
  const auto start = std::chrono::steady_clock::now();
  ValueSource source(seed);
  long long mismatches = 0;
  for (long long i = 0; i < count; ++i) {
    const Field field = programFields[i % fieldCount];
    const double value = source.next(field.decimals);
    const std::string expected = printfField(value, field);
    const std::string written = writtenField(value, field);
    if (written != expected && ++mismatches <= 20) {
      std::printf("%a in (%d,%d%s): \"%s\", printf \"%s\"\n", value, field.width, field.decimals,
                  field.whole ? ", whole" : "", written.c_str(), expected.c_str());
    }
    if ((i + 1) % progressInterval == 0) {
      std::printf("%lld values checked\n", i + 1);
      std::fflush(stdout);
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%lld values in %d fields checked in %.1f s (seed %llu): %lld mismatches\n", count,
              static_cast<int>(fieldCount), seconds, seed, mismatches);

  // The paired digits, every integer of the fast path, each in both lanes
  // (in full runs only: the test suite's brief run leaves it out).
  long long digitMismatches = 0;
  const std::uint32_t pairedLimit = count >= 1'000'000 ? 100'000'000 : 0;
  for (std::uint32_t x = 0; x < pairedLimit; ++x) {
    std::uint64_t first, second;
    ascent::detail::eightDigitsTwice(x, 99'999'999 - x, first, second);
    if (first != ascent::detail::eightDigits(x) ||
        second != ascent::detail::eightDigits(99'999'999 - x)) {
      if (++digitMismatches <= 20) std::printf("paired digits of %u differ\n", x);
    }
  }
  if (pairedLimit > 0) {
    std::printf("every integer below 10^8 paired: %lld mismatches\n", digitMismatches);
  }
  return mismatches == 0 && digitMismatches == 0 ? 0 : 1;
}

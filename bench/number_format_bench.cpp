// Formatting the numbers of one table row and its four data-file lines (15
// fields, as the row writers format them): through to_chars with a precision,
// as every field was formatted before, through appendFixed and appendWhole,
// and with the fixed-point writers straight into a character buffer.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <string>

#include "report/fixed_format.h"
#include "report/number_format.h"

namespace {

using namespace ascent;

// t (s), a (m/s^2), vi (m/s), h0 (m), r0 (m), alpha, beta, theta (deg), Pq (Pa),
// mass (kg): rows along a flight, at full precision.
constexpr double rows[][10] = {
    {0.9864213, 15.3120876, 409.1874, 0.3812, 0.0021, 89.8512, 0.1487612, 90.0, 0.7123,
     2945880.3127},
    {4.9312876, 15.6409126, 410.4123, 48.3091, 0.2197, 86.7012, 3.2987105, 90.0, 338.30912,
     2880491.7234},
    {76.9734102, 29.0311276, 1037.9812, 23789.412, 6331.877, 21.60312, 46.90129, 68.49201,
     16140.6231, 1687151.412},
    {170.2612345, 8.7123456, 2486.5311, 169968.1276, 89389.4431, 3.0, 46.7632, 54.6701, 0.0123,
     1051237.3876},
    {267.2634511, 10.7391, 2844.2981, 336428.7123, 235601.1289, 1.9501, 35.0012, 40.6598, 0.0,
     851939.8412},
    {363.0, 14.0871, 3605.6124, 485688.2913, 445592.4712, -1.2187, 24.4312, 27.6801, 0.0,
     646921.0987},
    {460.0, 20.3876, 4962.4187, 624697.1198, 759887.3389, -3.0, 16.2987, 17.8912, 0.0, 447623.6412},
    {644.0, 13.3012, 6654.8712, 847098.7612, 1611378.1109, -3.0, 9.4102, 10.1088, 0.0, 193158.8291},
};
constexpr std::size_t rowCount = std::size(rows);

// Every field as it was formatted before: to_chars with a precision, padded.
void appendByToChars(std::string& out, double value, int width, int decimals) {
  char digits[400];
  const char* end =
      std::to_chars(digits, digits + sizeof digits, value + 0.0, std::chars_format::fixed, decimals)
          .ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  if (length < static_cast<std::size_t>(width))
    out.append(static_cast<std::size_t>(width) - length, ' ');
  out.append(digits, length);
}
void appendWholeByToChars(std::string& out, double value, int width) {
  appendByToChars(out, roundHalfEven(value), width, 0);
}

template <void (*Fixed)(std::string&, double, int, int), void (*Whole)(std::string&, double, int)>
void formatRows(benchmark::State& state) {
  std::string line;
  line.reserve(256);
  std::size_t i = 0;
  for (auto _ : state) {
    const double* r = rows[i];
    i = (i + 1) % rowCount;
    line.clear();
    Fixed(line, r[0], 7, 2);
    Fixed(line, r[1], 6, 1);
    Whole(line, r[2], 6);
    Whole(line, r[3], 8);
    Whole(line, r[4], 10);
    Fixed(line, r[5], 7, 2);
    Fixed(line, r[6], 7, 2);
    Fixed(line, r[7], 7, 2);
    Fixed(line, r[8], 9, 1);
    Fixed(line, r[9], 10, 1);
    benchmark::DoNotOptimize(line.data());
    line.clear();
    Fixed(line, r[0], 7, 2);
    const std::size_t timeWidth = line.size();
    Whole(line, r[2], 6);
    benchmark::DoNotOptimize(line.data());
    line.resize(timeWidth);
    Fixed(line, r[3] / 1000, 9, 3);
    benchmark::DoNotOptimize(line.data());
    line.resize(timeWidth);
    Fixed(line, r[1], 8, 3);
    benchmark::DoNotOptimize(line.data());
    line.resize(timeWidth);
    Fixed(line, r[8] / 1000, 9, 4);
    benchmark::DoNotOptimize(line.data());
  }
}

void BM_RowAndDataLinesByToChars(benchmark::State& state) {
  formatRows<appendByToChars, appendWholeByToChars>(state);
}
void BM_RowAndDataLinesAppendFixed(benchmark::State& state) {
  formatRows<appendFixed, appendWhole>(state);
}

// The same fields written one after another into a character buffer.
void BM_RowAndDataLinesWriteFixed(benchmark::State& state) {
  char text[fixedFieldRoom(10, 4) * 16];
  std::size_t i = 0;
  for (auto _ : state) {
    const double* r = rows[i];
    i = (i + 1) % rowCount;
    char* p = text;
    p = writeFixed(p, r[0], 7, 2);
    p = writeFixed(p, r[1], 6, 1);
    p = writeWhole(p, r[2], 6);
    p = writeWhole(p, r[3], 8);
    p = writeWhole(p, r[4], 10);
    p = writeFixed(p, r[5], 7, 2);
    p = writeFixed(p, r[6], 7, 2);
    p = writeFixed(p, r[7], 7, 2);
    p = writeFixed(p, r[8], 9, 1);
    p = writeFixed(p, r[9], 10, 1);
    p = writeFixed(p, r[0], 7, 2);
    p = writeWhole(p, r[2], 6);
    p = writeFixed(p, r[3] / 1000, 9, 3);
    p = writeFixed(p, r[1], 8, 3);
    p = writeFixed(p, r[8] / 1000, 9, 4);
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_RowAndDataLinesByToChars);
BENCHMARK(BM_RowAndDataLinesAppendFixed);
BENCHMARK(BM_RowAndDataLinesWriteFixed);

#include "report/fixed_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "report/fixed_format_reference.h"
#include "report/number_format.h"

namespace ascent {
namespace {

using namespace fixed_format_check;

constexpr int fieldsShown = 10;  // mismatches reported before a check gives up

// Values whose rounding is a true tie or within a few ulps of one, whose
// rounding carries into a new digit, that sit at the edge of the scaled
// integer range, or that are not ordinary numbers. Both signs.
std::vector<double> hardValues() {
  using limits = std::numeric_limits<double>;
  constexpr double infinity = limits::infinity();
  const double twoTo52 = std::ldexp(1.0, 52);
  std::vector<double> values = {0.0,    0.5,  1.5,  2.5,  3.5,  0.125, 0.375, 2.675, 0.001,
                                1e-300, 0.05, 0.25, 1e15, 1e16, 1e22,  1e23,  1e308};
  for (const double value :
       {limits::max(), limits::min(), limits::denorm_min(), 3 * limits::denorm_min(), twoTo52,
        2 * twoTo52, twoTo52 - 0.5, twoTo52 + 1, twoTo52 / 2 + 0.5, twoTo52 / 2 + 1.5, infinity,
        limits::quiet_NaN()}) {
    values.push_back(value);
  }
  auto addNeighbours = [&values](double centre) {
    double below = centre, above = centre;
    values.push_back(centre);
    for (int i = 0; i < 3; ++i) {
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, infinity);
      values.push_back(below);
      values.push_back(above);
    }
  };
  for (int decimals = 0; decimals <= 22; ++decimals) {
    const double scale = std::pow(10.0, decimals);
    for (int exponent = -12; exponent <= 17; ++exponent) {
      addNeighbours(std::pow(10.0, exponent) - 0.5 / scale);  // 9.995, 99.95, 0.0995, ...
      addNeighbours(std::pow(10.0, exponent));
    }
    addNeighbours(std::ldexp(1.0, 52) / scale);     // the largest product scaled exactly
    addNeighbours(std::ldexp(3.0, -decimals - 1));  // an exact half at the last decimal
  }
  const std::size_t positives = values.size();
  for (std::size_t i = 0; i < positives; ++i) values.push_back(-values[i]);
  return values;
}

// Every program field, and every decimal count of the fast scaling and just
// beyond it, both in a narrow and in a wide field.
std::vector<Field> hardFields() {
  std::vector<Field> fields(std::begin(programFields), std::end(programFields));
  for (int decimals = 0; decimals <= 24; ++decimals) {
    fields.push_back({1, decimals, false});
    fields.push_back({40, decimals, false});
  }
  fields.push_back({1, 0, true});
  fields.push_back({30, 0, true});
  return fields;
}

TEST(FixedFormat, HardValuesMatchPrintf) {
  int shown = 0;
  for (const Field field : hardFields()) {
    for (const double value : hardValues()) {
      const std::string expected = printfField(value, field);
      const std::string written = writtenField(value, field);
      if (written != expected && shown++ < fieldsShown) {
        ADD_FAILURE() << std::hexfloat << value << " in (" << field.width << ',' << field.decimals
                      << (field.whole ? ", whole" : "") << "): \"" << written << "\", printf \""
                      << expected << '"';
      }
    }
  }
  EXPECT_EQ(shown, 0);
}

TEST(FixedFormat, AMillionRandomValuesMatchPrintfInEveryProgramField) {
  constexpr int valuesPerField = 48'000;  // 22 fields: 1,056,000 values
  ValueSource source(20240613);
  int shown = 0;
  long checked = 0;
  for (const Field field : programFields) {
    for (int i = 0; i < valuesPerField; ++i) {
      const double value = source.next(field.decimals);
      const std::string expected = printfField(value, field);
      const std::string written = writtenField(value, field);
      ++checked;
      if (written != expected && shown++ < fieldsShown) {
        ADD_FAILURE() << std::hexfloat << value << " in (" << field.width << ',' << field.decimals
                      << (field.whole ? ", whole" : "") << "): \"" << written << "\", printf \""
                      << expected << '"';
      }
    }
  }
  EXPECT_EQ(shown, 0);
  EXPECT_GT(checked, 1'000'000);
}

TEST(FixedFormat, ReturnsTheFieldEndAndStaysInItsRoom) {
  struct Case {
    double value;
    int width, decimals;
    bool whole;
    const char* text;
  };
  const Case cases[] = {
      {-0.001, 7, 2, false, "  -0.00"}, {-0.0, 7, 2, false, "   0.00"},
      {-0.4, 3, 0, true, "  0"},        {-2.5, 3, 0, true, " -2"},
      {9.995, 4, 2, false, "9.99"},     {99.95, 3, 1, false, "100.0"},
      {1e300, 1, 0, true, nullptr},     {-1e20, 30, 3, false, nullptr},
  };
  for (const Case& c : cases) {
    char buffer[fixedFieldRoom(30, 3) + 8];
    std::memset(buffer, '#', sizeof buffer);
    const int room = fixedFieldRoom(c.width, c.whole ? 0 : c.decimals);
    char* end = c.whole ? writeWhole(buffer, c.value, c.width)
                        : writeFixed(buffer, c.value, c.width, c.decimals);
    const std::string text(buffer, static_cast<std::size_t>(end - buffer));
    EXPECT_EQ(text, printfField(c.value, {c.width, c.decimals, c.whole}));
    if (c.text != nullptr) {
      EXPECT_EQ(text, c.text);
    }
    for (const char* p = buffer + room; p < buffer + sizeof buffer; ++p) ASSERT_EQ(*p, '#') << text;
  }
}

TEST(FixedFormat, AppendFixedAndWholeWriteTheSameFieldsAsPrintf) {
  // The stack-buffer path and the general one for fields wider than it.
  const Field fields[] = {
      {7, 2, false}, {1, 0, true}, {420, 2, false}, {1, 95, false}, {410, 0, true}};
  for (const Field field : fields) {
    for (const double value : {-0.001, 2.5, -3.5, 1e300, -123456.789}) {
      std::string out = "x";
      if (field.whole) {
        appendWhole(out, value, field.width);
      } else {
        appendFixed(out, value, field.width, field.decimals);
      }
      EXPECT_EQ(out, "x" + printfField(value, field)) << value << ' ' << field.width;
    }
  }
}

// Two fields written together, side by side or apart, give each field's
// printf bytes, also when one of them leaves the fast path.
template <int W1, int D1, bool Whole1, int W2, int D2, bool Whole2>
int pairMismatches(ValueSource& source, int values) {
  int mismatches = 0;
  for (int i = 0; i < values; ++i) {
    const double value1 = source.next(D1);
    const double value2 = source.next(D2);
    const std::string expected1 = printfField(value1, {W1, D1, Whole1});
    const std::string expected2 = printfField(value2, {W2, D2, Whole2});
    char together[fixedFieldRoom(W1, D1) + fixedFieldRoom(W2, D2)];
    char* middle;
    char* end =
        writeTwoFields<W1, D1, Whole1, W2, D2, Whole2>(together, value1, nullptr, value2, middle);
    const bool sideBySide =
        std::string(together, middle) == expected1 && std::string(middle, end) == expected2;
    char first[fixedFieldRoom(W1, D1)];
    char second[fixedFieldRoom(W2, D2)];
    end = writeTwoFields<W1, D1, Whole1, W2, D2, Whole2>(first, value1, second, value2, middle);
    const bool apart =
        std::string(first, middle) == expected1 && std::string(second, end) == expected2;
    if (!sideBySide || !apart) ++mismatches;
  }
  return mismatches;
}

TEST(FixedFormat, PairedFieldsMatchPrintf) {
  ValueSource source(77);
  constexpr int values = 40'000;
  EXPECT_EQ((pairMismatches<7, 2, false, 6, 1, false>(source, values)), 0);
  EXPECT_EQ((pairMismatches<6, 0, true, 8, 0, true>(source, values)), 0);
  EXPECT_EQ((pairMismatches<10, 0, true, 7, 2, false>(source, values)), 0);
  EXPECT_EQ((pairMismatches<7, 2, false, 7, 2, false>(source, values)), 0);
  EXPECT_EQ((pairMismatches<9, 1, false, 10, 1, false>(source, values)), 0);
  EXPECT_EQ((pairMismatches<9, 3, false, 8, 3, false>(source, values)), 0);
}

}  // namespace
}  // namespace ascent

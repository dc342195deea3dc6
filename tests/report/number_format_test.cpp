#include "report/number_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ascent {
namespace {

std::string fixed(double value, int width, int decimals) {
  std::string out;
  appendFixed(out, value, width, decimals);
  return out;
}

std::string whole(double value, int width) {
  std::string out;
  appendWhole(out, value, width);
  return out;
}

TEST(NumberFormat, WholeNumbersRoundHalvesToEven) {
  EXPECT_EQ(whole(2.5, 1), "2");
  EXPECT_EQ(whole(3.5, 1), "4");
  EXPECT_EQ(whole(-2.5, 1), "-2");
  EXPECT_EQ(whole(-3.5, 1), "-4");
  EXPECT_EQ(whole(2.4999999999999996, 1), "2");
  EXPECT_EQ(whole(409.38, 6), "   409");
  EXPECT_EQ(roundHalfEven(0.5), 0.0);
  EXPECT_EQ(roundHalfEven(1.5), 2.0);
}

TEST(NumberFormat, NoNegativeZero) {
  EXPECT_EQ(whole(-0.4, 1), "0");
  EXPECT_EQ(whole(-0.0, 3), "  0");
  EXPECT_FALSE(std::signbit(roundHalfEven(-0.4)));
  EXPECT_EQ(fixed(-0.0, 7, 2), "   0.00");
  // A negative value that rounds to zero is still negative.
  EXPECT_EQ(fixed(-0.001, 7, 2), "  -0.00");
}

TEST(NumberFormat, FixedFieldsAlignRightAndWidenWhenFull) {
  EXPECT_EQ(fixed(12.0, 5, 3), "12.000");  // one wider than the field
  EXPECT_EQ(fixed(3.5, 7, 4), " 3.5000");
  EXPECT_EQ(fixed(-12.345, 9, 1), "    -12.3");
  EXPECT_EQ(fixed(1234.0, 1, 0), "1234");
  EXPECT_EQ(fixed(0.986832971065, 14, 12), "0.986832971065");
  EXPECT_EQ(whole(-123456789.0, 8), "-123456789");
}

TEST(NumberFormat, FixedRoundsTheExactBinaryValue) {
  // 0.125 is exact: its halfway digit rounds to even; 2.675 is stored just below.
  EXPECT_EQ(fixed(0.125, 1, 2), "0.12");
  EXPECT_EQ(fixed(0.375, 1, 2), "0.38");
  EXPECT_EQ(fixed(2.675, 1, 2), "2.67");
}

}  // namespace
}  // namespace ascent

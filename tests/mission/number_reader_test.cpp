#include "mission/number_reader.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

namespace ascent {
namespace {

TEST(NumberReader, AcceptsTheNumberSyntax) {
  const std::pair<const char*, double> accepted[] = {
      {"12", 12.0}, {"12.", 12.0},   {".5", 0.5},      {"-1.5", -1.5},
      {"+3", 3.0},  {"1e3", 1000.0}, {"2.5E-1", 0.25}, {"1e-400", 0.0},
      {"0.1", 0.1}, {"-0", -0.0},    {"1E+2", 100.0},  {"4.9e-324", 4.9e-324},
  };
  for (const auto& [text, expected] : accepted) {
    double value = -99;
    EXPECT_TRUE(parseReal(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
}

TEST(NumberReader, RefusesWhatIsNotANumber) {
  for (const char* text : {"abc", "12abc", "1,5", "nan", "inf", "-inf", "0x10", "1e400", "-1e400",
                           ".", "-", "+", "e5", "1e", "1e+", "1.2.3", "--1", "1 2", ""}) {
    double value = 7;
    EXPECT_FALSE(parseReal(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
}

TEST(NumberReader, RoundsAtTheEdgesOfTheDoublesWithoutTrapping) {
  // The program reads with the overflow, invalid and division traps on.
  feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  constexpr double largest = std::numeric_limits<double>::max();
  constexpr double smallest = std::numeric_limits<double>::denorm_min();
  const std::pair<std::string, double> accepted[] = {
      {"1.7976931348623157e308", largest},  // just below the halfway point to overflow
      {"-1.7976931348623157e308", -largest},
      {"2.4703282292062328e-324", smallest},  // just above half the smallest denormal
      {"2.4703282292062327e-324", 0.0},       // just below: the nearest double is zero
      {"2.2250738585072011e-308", 2.2250738585072009e-308},
      {"+.5", 0.5},
      {"9007199254740993", 9007199254740992.0},  // a tie between two doubles: even
      {"9007199254740993.00000000000000000000001", 9007199254740994.0},
      {std::string(700, '1') + "e-700", 0.11111111111111111},
      {"0." + std::string(400, '0') + "1e400", 0.1},
  };
  for (const auto& [text, expected] : accepted) {
    double value = -99;
    EXPECT_TRUE(parseReal(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  double negativeZero = 1;
  EXPECT_TRUE(parseReal("-1e-400", negativeZero));
  EXPECT_TRUE(negativeZero == 0 && std::signbit(negativeZero));
  for (const char* text : {"1.7976931348623159e308", "-1.7976931348623159e308", "1e309"}) {
    double value = 7;
    EXPECT_FALSE(parseReal(text, value)) << text;
    EXPECT_EQ(value, 7) << text;
  }
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(NumberReader, SkipsBlanksAndLineEndsBeforeANumber) {
  StringInStream in("  \t\n\r\n   42.5  rest of line\n7\n");
  double value = 0;
  std::string token;
  ASSERT_EQ(readReal(in, value, token), ReadStatus::Number);
  EXPECT_EQ(value, 42.5);
  skipRestOfLine(in);
  ASSERT_EQ(readReal(in, value, token), ReadStatus::Number);
  EXPECT_EQ(value, 7);
  skipRestOfLine(in);
  EXPECT_EQ(readReal(in, value, token), ReadStatus::EndOfInput);
}

TEST(NumberReader, ALineEndClosingTheNumberBelongsToItsLine) {
  // skipRestOfLine after "15\n" must not eat the next line's answer.
  StringInStream in("15\r\n3\n");
  double value = 0;
  std::string token;
  ASSERT_EQ(readReal(in, value, token), ReadStatus::Number);
  skipRestOfLine(in);
  ASSERT_EQ(readReal(in, value, token), ReadStatus::Number);
  EXPECT_EQ(value, 3);
}

TEST(NumberReader, ReportsTheOffendingToken) {
  StringInStream in("  12abc def\n");
  double value = 0;
  std::string token;
  EXPECT_EQ(readReal(in, value, token), ReadStatus::NotANumber);
  EXPECT_EQ(token, "12abc");
  EXPECT_EQ(quoteToken(std::string(100, 'x')), "\"" + std::string(40, 'x') + "...\"");
  EXPECT_EQ(quoteToken(std::string("a\x01\xff", 3)), "\"a??\"");
}

TEST(NumberReader, BlankInputIsTheEnd) {
  StringInStream in(" \n\t\r\n ");
  double value = 0;
  std::string token;
  EXPECT_EQ(readReal(in, value, token), ReadStatus::EndOfInput);
}

TEST(NumberReader, ReadLineKeepsBlanksStopsAtTooLongLinesAndDropsTheLineEnd) {
  std::string line;
  StringInStream crlf(" my report.txt \r\nnext\n");
  ASSERT_TRUE(readLine(crlf, line, 255));
  EXPECT_EQ(line, " my report.txt ");
  ASSERT_TRUE(readLine(crlf, line, 255));
  EXPECT_EQ(line, "next");
  EXPECT_FALSE(readLine(crlf, line, 255));

  // Too long shows after 256 bytes: the rest of a line that may never end is not read.
  StringInStream longLine(std::string(300, 'a') + "\n15\n");
  ASSERT_TRUE(readLine(longLine, line, 255));
  EXPECT_EQ(line, std::string(256, 'a'));
  EXPECT_EQ(longLine.get(), 'a');
  StringInStream longest(std::string(255, 'a') + "\r\n15\n");
  ASSERT_TRUE(readLine(longest, line, 255));
  EXPECT_EQ(line, std::string(255, 'a'));
  double value = 0;
  std::string token;
  ASSERT_EQ(readReal(longest, value, token), ReadStatus::Number);
  EXPECT_EQ(value, 15);

  StringInStream inner("a\rb\n");
  ASSERT_TRUE(readLine(inner, line, 255));
  EXPECT_EQ(line, "a\rb");

  StringInStream empty("\n");
  ASSERT_TRUE(readLine(empty, line, 255));
  EXPECT_EQ(line, "");
}

}  // namespace
}  // namespace ascent

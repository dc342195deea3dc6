// The value tree, the domains of settings and the text forms of numbers and
// names that every writer and both front ends share.
#include "ascent/schema.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "ascent/study.h"

namespace ascent {
namespace {

TEST(NumberText, ExactTextIsTheShortestTextThatReadsBack) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    double value = 0;
    const std::uint64_t bits = random();
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = exactText(value);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    // Never longer than printf's shortest %g form that reads back.
    char shortest[40];
    for (int digits = 1; digits <= 17; ++digits) {
      std::snprintf(shortest, sizeof shortest, "%.*g", digits, value);
      if (std::strtod(shortest, nullptr) == value) break;
    }
    EXPECT_LE(text.size(), std::strlen(shortest)) << text << " " << shortest;
  }
  struct Case {
    double value;
    const char* exact;
    const char* readable;
  };
  for (const Case& c :
       {Case{0.1, "0.1", "0.1"}, Case{24.06, "24.06", "24.06"}, Case{1e5, "1e+05", "100000"},
        Case{200000, "2e+05", "200000"}, Case{1e-05, "1e-05", "1e-05"},
        Case{1e308, "1e+308", "1e+308"}, Case{-0.5, "-0.5", "-0.5"},
        Case{std::numeric_limits<double>::infinity(), "inf", "inf"}}) {
    EXPECT_EQ(exactText(c.value), c.exact);
    EXPECT_EQ(readableText(c.value), c.readable);
  }
}

TEST(Names, TheNearestNameIsOfferedOnlyWhenItIsClose) {
  constexpr std::string_view names[] = {"fly", "target", "sweep", "core.thrust_N"};
  EXPECT_EQ(nearestName("fyl", names), "fly");
  EXPECT_EQ(nearestName("swep", names), "sweep");
  EXPECT_EQ(nearestName("thrust_N", names), "core.thrust_N");
  EXPECT_EQ(nearestName("xyz", names), "");
  EXPECT_EQ(didYouMean("tagret", names), " (did you mean 'target'?)");
  EXPECT_EQ(didYouMean("zzzzzzzz", names), "");
}

TEST(SettingDomains, AValueOutsideItsDomainIsNamedInTheUnitShown) {
  struct Case {
    SearchSettings settings;
    const char* problem;
  };
  SearchSettings base;
  auto with = [&base](auto change) {
    SearchSettings s = base;
    change(s);
    return s;
  };
  const Case cases[] = {
      {base, ""},
      {with([](SearchSettings& s) { s.targetAltitude_m = 500; }),
       "the target altitude 0.5 km is outside 1 to 100000 km"},
      {with([](SearchSettings& s) { s.tolerance_m = 0; }),
       "the altitude tolerance 0 km is outside 0 to 1000 km, 0 excluded"},
      {with([](SearchSettings& s) { s.maxMissions = 0; }),
       "the mission budget 0 is outside 1 to 100000"},
      {with([](SearchSettings& s) { s.firstGuess_deg = std::nan(""); }),
       "the first guess is not a number"},
      {with([](SearchSettings& s) { s.minimumPerigee_m = INFINITY; }),
       "the minimum perigee inf km is outside 0 to 100000 km"},
  };
  for (const Case& c : cases) EXPECT_EQ(settingsProblem(c.settings).problem, c.problem);
  EXPECT_EQ(turnTimeProblem(0.5), "the turn time 0.5 s is outside 1 to 10000 s");
}

TEST(ValueTree, ObjectsKeepTheirOrderAndNonFiniteRealsEqualNull) {
  Value a = Value::object();
  a.add("b", 1.5);
  a.add("a", Value::list({Value(1), Value("x"), Value()}));
  EXPECT_EQ(a.members().front().first, "b");
  EXPECT_EQ(a["a"].items()[1].text(), "x");
  EXPECT_TRUE(a["missing"].isNull());
  EXPECT_EQ(Value(std::nan("")), Value(INFINITY));
  EXPECT_FALSE(Value(1.0) == Value(1));  // a real and a whole number are written apart
}

}  // namespace
}  // namespace ascent

// The texts of a study's settings as both doors read them: numbers with
// their units, ranges, shards, whole numbers of a campaign, key lists and
// requirements.
#include "ascent/grammar.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ascent/fly.h"
#include "ascent/optimize.h"
#include "ascent/trade.h"

namespace ascent {
namespace {

std::string problemOf(const std::function<void()>& read) {
  try {
    read();
  } catch (const InputError& problem) {
    return problem.what();
  }
  return {};
}

// A bare number is in the unit shown; a unit scaled by a power of ten is
// applied to the decimal text, so every spelling of 150.1 km is one double.
TEST(Quantities, AreInTheUnitShownOrTheUnitWritten) {
  const double infinity = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    const char* unit;
    double value;
  } values[] = {
      {"200", "km", 200e3},
      {"200km", "km", 200e3},
      {"150100m", "km", 150100},
      {"150.1", "km", 150100},
      {"150.1km", "km", 150100},
      {"1e-4km", "km", 0.1},
      {"28300", "Pa", 28300},
      {"28.3kPa", "Pa", 28300},
      {"0.0283MPa", "Pa", 28300},
      {"0", "Pa", 0},
      {"5t", "kg", 5000},
      {"18s", "s", 18},
      {"24deg", "deg", 24},
      {"1rad", "deg", 57.295779513082323},
      {"7.8MN", "N", 7.8e6},
      {"2g", "m/s^2", 19.6133},
      {"0.5", "", 0.5},
      {"1e308", "km", infinity},
      {"-1e308", "km", -infinity},
  };
  for (const auto& v : values) EXPECT_EQ(quantityValue(v.text, v.unit), v.value) << v.text;
  EXPECT_TRUE(readQuantity("200", "km").bare);
  EXPECT_FALSE(readQuantity("200km", "km").bare);
  EXPECT_EQ(readQuantity("1e308", "km").shown, 1e308);
  const struct {
    const char* text;
    const char* unit;
    const char* problem;
  } refused[] = {
      {"5t", "km", "'5t' is a mass, not a length (m or km)"},
      {"24km", "deg", "'24km' is a length, not an angle (deg or rad)"},
      {"1N", "Pa", "'1N' is a force, not a pressure (Pa, kPa or MPa)"},
      {"200kms", "km", "'200kms' is not a length (m or km)"},
      {"200 km", "km", "'200 km' is not a length (m or km)"},
      {"200KM", "km", "'200KM' is not a length (m or km)"},
      {"5km", "", "'5km' is not a number"},
      {"km", "km", "'km' is not a number"},
      {"nan", "deg", "'nan' is not a number"},
      {"1e400km", "km", "'1e400km' is not a number"},
      {"28.3", "Pa", "28.3 Pa is below 1 kPa; did you mean 28.3kPa?"},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(problemOf([&] { readQuantity(r.text, r.unit); }), r.problem) << r.text;
  }
}

// The unit each domain shows is one the grammar reads, at the domain's scale.
TEST(Quantities, EveryDomainsUnitIsRead) {
  const auto check = [](const auto& table) {
    for (const auto& d : table) {
      EXPECT_EQ(quantityValue("1000", d.unit), 1000 * d.siPerUnit) << d.name;
    }
  };
  check(searchSettingsDomain());
  check(flySettingsDomain());
  check(optimizeSettingsDomain());
  check(tradeSettingsDomain());
  check(campaignSettingsDomain());
  check(jobsDomain());
}

TEST(TurnTimeRange, IsGeneratedFromItsStartNotAccumulated) {
  const struct {
    const char* text;
    std::vector<double> expected;
  } ranges[] = {
      {"5:8:1", {5, 6, 7, 8}},
      {"5:5:1", {5}},
      {"5:6:0.1",
       {5, 5.1, 5 + 2 * 0.1, 5 + 3 * 0.1, 5 + 4 * 0.1, 5.5, 5 + 6 * 0.1, 5 + 7 * 0.1, 5 + 8 * 0.1,
        5 + 9 * 0.1, 6}},
      {"1:2.5:0.7", {1, 1.7, 1 + 2 * 0.7}},
      {"1e1:12:1", {10, 11, 12}},
      {"5s:8:1s", {5, 6, 7, 8}},
  };
  for (const auto& range : ranges)
    EXPECT_EQ(turnTimeRange(range.text), range.expected) << range.text;
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"5:4:1", "needs STEP > 0 and FROM <= TO"},
      {"5:8:0", "needs STEP > 0"},
      {"5:8", "FROM:TO:STEP, three numbers"},
      {"a:8:1", "three numbers"},
      {"5:8:1:2", "three numbers"},
      {"nan:8:1", "three numbers"},
      {"0.5:2:1", "must lie from 1 to 10000 s"},
      {"1:10000:0.001", "more than 1000000 turn times"},
      {"1000:1000.000000000001:1e-14", "repeats turn times"},
  };
  for (const auto& b : bad) {
    EXPECT_NE(problemOf([&] { turnTimeRange(b.text); }).find(b.problem), std::string::npos)
        << b.text;
  }
}

// Kilometres as typed, metres with no trace of the conversion.
TEST(AltitudeRange, IsInMetresWithTheDecimalsTyped) {
  EXPECT_EQ(altitudeRange("150:160:5"), (std::vector<double>{150e3, 155e3, 160e3}));
  EXPECT_EQ(altitudeRange("150.1:150.3:0.1"), (std::vector<double>{150100, 150200, 150300}));
  EXPECT_EQ(altitudeRange("200.0005:200.0005:1"), (std::vector<double>{200000.5}));
  EXPECT_EQ(altitudeRange("150100m:150.3km:100m"), (std::vector<double>{150100, 150200, 150300}));
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"150:225", "the altitudes must be FROM:TO:STEP, three numbers (km)"},
      {"225:150:5", "the altitude range needs STEP > 0 and FROM <= TO"},
      {"0.5:2:1", "the altitudes must lie from 1 to 100000 km"},
      {"1:100000:0.001", "the altitude range holds more than 10000 altitudes"},
      {"150km:225km:5t", "'5t' is a mass, not a length (m or km)"},
  };
  for (const auto& b : bad) EXPECT_EQ(problemOf([&] { altitudeRange(b.text); }), b.problem);
}

TEST(Shards, EveryTurnTimeIsInExactlyOneShard) {
  const std::vector<double> all = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(shardSelection(all, parseShard("2/3")), (std::vector<double>{2, 5}));
  EXPECT_EQ(shardSelection(all, parseShard("1/1")), all);
  EXPECT_EQ(shardSelection(all, parseShard("9/9")), std::vector<double>{});
  for (const char* bad : {"4/3", "0/3", "1/+2", "1/0", "3", "a/b", "5/18446744073709551615",
                          "1/1000001", "/3", "1/"}) {
    EXPECT_EQ(problemOf([&] { parseShard(bad); }),
              "'" + std::string(bad) + "' is not I/N with 1 <= I <= N <= 1000000");
  }
  EXPECT_EQ(shardProblem({3, 2}), "'3/2' is not I/N with 1 <= I <= N <= 1000000");
}

TEST(CampaignNumbers, AreDecimalDigitsFrom0To2To64Minus1) {
  const struct {
    const char* text;
    std::uint64_t value;
    const char* problem;
  } cases[] = {
      {"0", 0, ""},
      {"0018446744073709551615", UINT64_MAX, ""},
      {"18446744073709551616", 0,
       "the seed 18446744073709551616 is outside 0 to 18446744073709551615"},
      {"-1", 0, "the seed -1 is outside 0 to 18446744073709551615"},
      {"", 0, "'' is not a whole number"},
      {"1e23", 0, "'1e23' is not a whole number"},
      {"+5", 0, "'+5' is not a whole number"},
  };
  for (const auto& c : cases) {
    std::uint64_t value = 0;
    EXPECT_EQ(problemOf([&] { value = campaignNumber("the seed", c.text); }), c.problem) << c.text;
    if (*c.problem == '\0') {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(TradeKeys, AListNamesEachKnownKeyOnce) {
  EXPECT_EQ(parseTradeKeys("core.thrust_N,boosters.count"),
            (std::vector<std::string>{"core.thrust_N", "boosters.count"}));
  const struct {
    const char* text;
    const char* problem;
  } bad[] = {
      {"", "the list of keys is empty: name at least one key"},
      {"core.thrust", "'core.thrust' is not a vehicle key (did you mean 'core.thrust_N'?)"},
      {"core.thrust_N,", "'' is not a vehicle key"},
      {"core.thrust_N,core.thrust_N", "the key 'core.thrust_N' is given twice"},
      // Every unknown name is reported before a repeat.
      {"core.thrust_N,core.thrust_N,zzz", "'zzz' is not a vehicle key"},
  };
  for (const auto& b : bad) EXPECT_EQ(problemOf([&] { parseTradeKeys(b.text); }), b.problem);
}

TEST(Requirements, ATextNamesAnOutputAnOrderAndANumber) {
  const Requirement r = parseRequirement("SC_M_kg>=120000");
  EXPECT_EQ(r.output, "SC_M_kg");
  EXPECT_TRUE(r.atLeast);
  EXPECT_EQ(r.value, 120000);
  // A value in the unit that ends the output's name, or in one of its own.
  for (const auto& [text, value] : {std::pair{"SC_M_kg>=120t", 120e3},
                                    {"perigee_m>=190km", 190e3},
                                    {"max_dynamic_pressure_Pa<=28.3kPa", 28300},
                                    {"max_acceleration_mps2<=4", 4}}) {
    EXPECT_EQ(parseRequirement(text).value, value) << text;
  }
  EXPECT_EQ(problemOf([&] { parseRequirement("perigee_m>=5t"); }),
            "the requirement 'perigee_m>=5t': '5t' is a mass, not a length (m or km)");
  for (const char* wrong : {"SC_M_kg>5", "SC_M>=1", "SC_M_kg>=", "SC_M_kg>=inf"}) {
    EXPECT_NE(problemOf([&] { parseRequirement(wrong); }), "") << wrong;
  }
  EXPECT_EQ(problemOf([&] { parseRequirement("SC_M>=1"); }),
            "the requirement 'SC_M>=1' names no output 'SC_M' (did you mean 'SC_M_kg'?)");
}

TEST(Runs, AreNOrAToBHoldingAtLeastOneRun) {
  std::uint64_t first = 9, end = 9;
  parseRuns("100", first, end);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(end, 100u);
  parseRuns("5:8", first, end);
  EXPECT_EQ(first, 5u);
  EXPECT_EQ(end, 8u);
  EXPECT_EQ(problemOf([&] { parseRuns("8:5", first, end); }),
            "the runs 8:5 hold no run (A:B holds the runs A to B-1)");
  EXPECT_EQ(problemOf([&] { parseRuns("x", first, end); }), "'x' is not N or A:B");
}

}  // namespace
}  // namespace ascent

// CSV as every writer writes it: one cell of a value, and the rows of the
// sweep, performance and trade with one column per field of their schemas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ascent/performance.h"
#include "ascent/schema.h"
#include "ascent/sweep.h"
#include "ascent/trade.h"
#include "ascent/writers.h"

namespace ascent {
namespace {

TEST(Csv, CellsAreEmptyForNullAndQuotedOnlyWhenTheyMustBe) {
  struct Case {
    Value value;
    const char* cell;
  };
  const Case cases[] = {
      {Value(), ""},        {Value(std::nan("")), ""}, {Value(0.1), "0.1"},
      {Value(42u), "42"},   {Value("orbit"), "orbit"}, {Value("a, \"b\""), "\"a, \"\"b\"\"\""},
      {Value(true), "true"}};
  for (const Case& c : cases) {
    std::string line;
    appendCsvCell(line, c.value);
    EXPECT_EQ(line, c.cell);
  }
}

TEST(DesignRows, TheCsvHasOneColumnPerFieldAndEmptyCellsWhereThereIsNoNumber) {
  EXPECT_EQ(csvHeader(sweepSchema()),
            "turn_time_s,limit_deg,verdict,missions,perigee_m,apogee_m,average_altitude_m,"
            "remaining_propellant_kg,SC_M_kg,max_dynamic_pressure_Pa,max_acceleration_mps2,"
            "max_force_N\n");
  SweepRow unreachable;
  unreachable.turnTime_s = 18.5;
  unreachable.verdict = Verdict::Unreachable;
  unreachable.missions = 7;
  EXPECT_EQ(csvLine(sweepSchema(), unreachable), "18.5,,unreachable,7,,,,,,,,\n");

  EXPECT_EQ(csvHeader(performanceRowSchema()),
            "target_altitude_m,turn_time_s,limit_deg,SC_M_kg,remaining_propellant_kg,perigee_m,"
            "apogee_m,missions,verdict,at_range_edge\n");
  PerformanceRow beyond;
  beyond.altitude_m = 250e3;
  beyond.missions = 104;
  beyond.design = unreachable;
  EXPECT_EQ(csvLine(performanceRowSchema(), beyond), "250000,,,,,,,104,unreachable,false\n");

  TradeRow invalid;
  invalid.key = "boosters.count";
  invalid.unit = "-";
  invalid.value = 2;
  invalid.step = 0.02;
  invalid.status = TradeStatus::Invalid;
  invalid.reason = "one step lower: boosters.count = 1.98, not a whole number";
  EXPECT_EQ(csvLine(tradeRowSchema(), invalid),
            "boosters.count,-,2,0.02,invalid,true,,,kg,,,,,,"
            "\"one step lower: boosters.count = 1.98, not a whole number\"\n");
}

}  // namespace
}  // namespace ascent

// The pieces of the design commands that are not missions: the data files
// and the report of a dialogue run read back as curves and their missions,
// what a mission counts as, and the vehicle key reference of the manual.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/plot_data.h"
#include "ascent/vehicle.h"
#include "report/printf_text.h"
#include "study/targeting.h"

namespace ascent {
namespace {

TEST(DataLine, IsSplitAtTheTimeColumnEvenWhenTheValueTouchesIt) {
  const struct {
    const char* line;
    double time, value;
  } lines[] = {
      {"   0.99   409", 0.99, 409},
      {"  12.50  1.234", 12.5, 1.234},
      {"   3.00100000000", 3.0, 100000000},  // a value wider than its field
      {" 727.89-12.5", 727.89, -12.5},
      {"10000.00   7800", 10000, 7800},  // a time wider than its field: split at blanks
      {"   1.00   2.5\r", 1, 2.5},
  };
  for (const auto& l : lines) {
    double t = -1, v = -1;
    EXPECT_TRUE(parseDataLine(l.line, t, v)) << l.line;
    EXPECT_EQ(t, l.time) << l.line;
    EXPECT_EQ(v, l.value) << l.line;
  }
  for (const char* bad : {"", "   1.00", "abc", "   1.00   x", "   1.00   2   3"}) {
    double t = 0, v = 0;
    EXPECT_FALSE(parseDataLine(bad, t, v)) << bad;
  }
}

TEST(MissionCurves, StartWhereTheTimeDropsBackToThePadAndNeverRunBackwards) {
  // Two missions; the first steps back twice while it searches for an event.
  const std::string text =
      "   0.99   1\n   1.97   2\n   7.89   3\n   6.91   4\n   7.50   5\n   7.40   6\n"
      "   8.00   7\n 727.89   8\n"
      "   0.99  10\n   5.00  11\n";
  const std::vector<Curve> curves = readMissionCurves(text, "speed.dat");
  ASSERT_EQ(curves.size(), 2u);
  EXPECT_EQ(curves[0].time_s, (std::vector<double>{0.99, 1.97, 6.91, 7.40, 8.00, 727.89}));
  EXPECT_EQ(curves[0].value, (std::vector<double>{1, 2, 4, 6, 7, 8}));
  EXPECT_EQ(curves[1].time_s, (std::vector<double>{0.99, 5.00}));
  // A drop below 1 s starts a mission even above the first time of the one before.
  EXPECT_EQ(readMissionCurves("   0.50 1\n 600.00 2\n   0.80 3\n", "x").size(), 2u);
  EXPECT_THROW(readMissionCurves("   0.99   1\n oops\n", "speed.dat"), Error);
}

TEST(ReportedMissions, AreTheTurnTimesOfOneSecondOrMoreWithTheLimitAskedAfterEach) {
  // A refused turn time, a mission with its limit asked after a row, one that
  // ended before the limit was asked, a summary line, then the end of the run.
  const std::vector<ReportedMission> missions = readReportedMissions(
      "Turn time (s)?  0.500\nError! Turn time must be greater than one second.\n"
      "Turn time (s)? 18.000\n 130.20   6.9  1527\nMaximum angle of attack (degrees)? 24.060\n"
      "Turn time (s)?  2.000\nTurn time (s)? 120.500\nMaximum angle of attack (degrees)? 30.000\n"
      "Turn Time = 120.500 s, Maximum angle of attack = 30.0000\nTurn time (s)? -1.000\n");
  ASSERT_EQ(missions.size(), 3u);
  const std::pair<std::string, std::string> expected[] = {
      {"18", "24.06"}, {"2", ""}, {"120.5", "30"}};
  for (std::size_t m = 0; m < missions.size(); ++m) {
    EXPECT_EQ(std::make_pair(missions[m].turnTime_s, missions[m].limit_deg), expected[m]) << m;
  }
}

// What a mission counts as for the search and for a design.
TEST(MissionVerdict, OnlyAFiniteOrbitCountsAndOnlyWithSpacecraftMassIsADesign) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto orbit = [](double average_m, double perigee_m, double SC_M) {
    MissionResult r;
    r.outcome = Outcome::Orbit;
    r.averageAltitude_m = average_m;
    r.perigee_m = perigee_m;
    r.apogee_m = 2 * average_m - perigee_m;
    r.sizing.SC_M_kg = SC_M;
    return r;
  };
  MissionResult abandoned = orbit(200e3, 199e3, 1e5);
  abandoned.outcome = Outcome::Abandoned;
  MissionResult failed = orbit(200e3, 199e3, 1e5);
  failed.outcome = Outcome::Failed;
  const struct {
    const char* name;
    MissionResult result;
    bool reached, outside;
  } cases[] = {
      {"orbit", orbit(200e3, 199e3, 1.2e5), true, false},
      {"no spacecraft mass", orbit(200e3, 199e3, 0), true, true},
      {"negative spacecraft mass", orbit(200e3, 199e3, -5), true, true},
      {"perigee not a number", orbit(200e3, nan, 1.2e5), true, true},
      {"average not a number", orbit(nan, 199e3, 1.2e5), false, true},
      {"orbit through the Earth", orbit(-6378e3, -12756e3, 1.2e5), false, false},
      {"abandoned", abandoned, false, false},
      {"failed", failed, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(probeOf(c.result).reached, c.reached) << c.name;
    EXPECT_EQ(outsideDesign(c.result), c.outside) << c.name;
  }
}

// The manual's key reference is read as Markdown: one row per key, each with
// exactly five cells (an unescaped pipe in a comment would add one), the
// default shown reading back as the default.
TEST(VehicleReference, HasOneRowOfFiveCellsPerKeyWithItsDefault) {
  const std::string reference = vehicleReference();
  for (const VehicleKey& k : vehicleKeys()) {
    const std::string start = "| `" + std::string(k.key) + "` |";
    const std::size_t row = reference.find(start);
    ASSERT_NE(row, std::string::npos) << k.key;
    EXPECT_EQ(reference.find(start, row + 1), std::string::npos) << k.key;
    const std::string line = reference.substr(row, reference.find('\n', row) - row);
    std::vector<std::string> cells(1);
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
      if (line[i] == '|' && line[i - 1] != '\\') {
        cells.emplace_back();
      } else {
        cells.back() += line[i];
      }
    }
    ASSERT_EQ(cells.size(), 5u) << line;
    EXPECT_EQ(std::stod(cells[3]), k.get(Vehicle::defaults())) << line;
  }
}

}  // namespace
}  // namespace ascent

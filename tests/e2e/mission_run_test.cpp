// Whole missions of the built program in a temporary directory: a golden
// report on a thrust file of the tests' own making, the shipped thrust file,
// and a thrust file whose first record makes the lift-off 0/0.
#include <cstdlib>
#include <fstream>

#include "e2e/e2e_support.h"
#include "mission/mission_test_support.h"

namespace ascent::testing {
namespace {

using MissionRun = ProgramTest;

// Where two texts first differ, as "line L, column C: expected ... got ...".
std::string firstDifference(const std::string& expected, const std::string& actual) {
  const auto want = splitLines(expected), got = splitLines(actual);
  for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
    const std::string w = i < want.size() ? want[i] : "<end of file>";
    const std::string g = i < got.size() ? got[i] : "<end of file>";
    if (w == g) continue;
    std::size_t column = 0;
    while (column < w.size() && column < g.size() && w[column] == g[column]) ++column;
    return "line " + std::to_string(i + 1) + ", column " + std::to_string(column + 1) +
           ":\n  expected: " + w + "\n  actual:   " + g;
  }
  return "line ends differ";
}

// A regression guard for the whole report: re-base it after an intended change
// with ASCENT_UPDATE_GOLDEN=1 and review the difference in version control.
TEST_F(MissionRun, ReportOnTheTestsOwnThrustCurveMatchesTheGoldenFile) {
  writeFile(dir / "s1.dat", thrustFile(thrustCurve()));
  const auto result = run("report.txt\n10\n3\n0.5\n-1\n");
  ASSERT_EQ(result.status, 0) << result.output;
  const std::string report = file("report.txt");
  const std::filesystem::path golden =
      std::filesystem::path(ASCENT_TEST_DATA_DIR) / "golden" / "mission_own_curve.txt";
  if (std::getenv("ASCENT_UPDATE_GOLDEN") != nullptr) {
    std::filesystem::create_directories(golden.parent_path());
    writeFile(golden, report);
  }
  const std::string expected = readFile(golden);
  ASSERT_FALSE(expected.empty()) << golden << " is missing";
  EXPECT_TRUE(report == expected) << firstDifference(expected, report);
}

TEST_F(MissionRun, ShippedCurveWithALimitOfOneDegreeFallsBackAndTheNextTurnTimeIsAsked) {
  useShippedThrustFile();
  const auto result = run("report.txt\n10\n1\n-1\n");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, namePrompt + turnPrompt + alphaPrompt + turnPrompt);
  const auto lines = splitLines(file("report.txt"));
  ASSERT_GT(lines.size(), 8u);
  EXPECT_EQ(lines[5],
            "   0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2955067.6");
  // The lift-off row: thrust equals weight within the first record interval.
  double firstRecord = 0;
  std::ifstream(dir / "s1.dat") >> firstRecord;
  const Row liftoff = parseRow(lines[6]);
  EXPECT_GT(liftoff.t, 0);
  EXPECT_LT(liftoff.t, firstRecord);
  EXPECT_EQ(lines[6].substr(7, 6), "   9.8");
  EXPECT_EQ(lines[6].substr(13, 54), lines[5].substr(13, 54));

  std::vector<std::string> events;
  std::size_t rows = 0;
  for (std::size_t i = 4; i < lines.size(); ++i) {
    if (isRow(lines[i])) {
      ++rows;
    } else {
      events.push_back(lines[i]);
    }
  }
  ASSERT_GE(events.size(), 7u);
  EXPECT_EQ(events[1], "Pitch over!");
  EXPECT_EQ(events[2], "End turn.");
  EXPECT_EQ(events[3].rfind("Booster seperation! Residual booster propellant = ", 0), 0u);
  EXPECT_EQ(events[4], "Maximum angle of attack (degrees)?  1.000");
  // (Whether it falls before or after the SAJ and LAS jettison depends on the curve.)
  EXPECT_EQ(events[events.size() - 2], "Error! Orbit not reached, mission abandoned.");
  EXPECT_EQ(events.back(), "Turn time (s)? -1.000");
  EXPECT_LT(parseRow(lines[lines.size() - 3]).h0, 0);
  // Every step of the abandoned mission is in the data files, the pad rows are not.
  EXPECT_EQ(splitLines(file("speed.dat")).size(), rows - 2);
  EXPECT_EQ(splitLines(file("dynpres.dat")).size(), rows - 2);
}

TEST_F(MissionRun, FirstRecordWithZeroThrustStopsWith207AfterThePadRow) {
  writeFile(dir / "s1.dat", "0.986832971065 0.0\n1.973665942130 19500000.0\n");
  const auto result = run("report.txt\n10\n3\n-1\n");
  EXPECT_EQ(result.status, 207);
  EXPECT_EQ(result.output,
            namePrompt + turnPrompt + "\nRuntime error 207: floating-point invalid operation\n");
  const auto lines = splitLines(file("report.txt"));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4], "Turn time (s)? 10.000");
  EXPECT_EQ(lines[5].substr(0, 7), "   0.00");
  EXPECT_EQ(file("speed.dat"), "");
}

}  // namespace
}  // namespace ascent::testing

// Whole missions of the dialogue in memory: the data files, the thrust file's
// edge cases and abandoned missions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/mission_dialogue.h"

namespace ascent {
namespace {

using testing::Dialogue;
using testing::interval;
using testing::isRow;
using testing::ownCurve;
using testing::parseRow;
using testing::Row;
using testing::splitLines;
using testing::thrustCurve;
using testing::thrustFile;
using testing::timeTolerance;

TEST(MissionDataFiles, OneLinePerStepOfEveryMissionAndNoneForThePadRows) {
  Dialogue d({ownCurve});
  d.run("10\n3\n2\n5\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  std::vector<std::string> steps;  // rows written by integration steps
  for (std::size_t i = 2; i < d.lines.size(); ++i) {
    const bool pad =
        d.lines[i - 1].rfind("Turn time", 0) == 0 || d.lines[i - 2].rfind("Turn time", 0) == 0;
    if (isRow(d.lines[i]) && !pad) steps.push_back(d.lines[i]);
  }
  ASSERT_EQ(steps.size() + 4, d.rows(0, d.lines.size()).size());
  auto& files = d.files.memory.files;
  const auto speed = splitLines(files["speed.dat"]), height = splitLines(files["height.dat"]);
  const auto accel = splitLines(files["accel.dat"]), dynpres = splitLines(files["dynpres.dat"]);
  for (const auto* data : {&speed, &height, &accel, &dynpres})
    ASSERT_EQ(data->size(), steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Row row = parseRow(steps[i]);
    EXPECT_EQ(speed[i], steps[i].substr(0, 7) + steps[i].substr(13, 6));
    ASSERT_EQ(height[i].substr(0, 7), steps[i].substr(0, 7));
    EXPECT_NEAR(std::atof(height[i].c_str() + 7) * 1000, row.h0, 0.5) << steps[i];
    EXPECT_NEAR(std::atof(accel[i].c_str() + 7), row.a, 0.0505) << steps[i];
    EXPECT_NEAR(std::atof(dynpres[i].c_str() + 7) * 1000, row.Pq, 0.1) << steps[i];
  }
}

// A curve whose records after `from` all come `shift` seconds later.
std::string shiftedCurve(std::size_t from, double shift) {
  auto records = thrustCurve();
  for (std::size_t i = from; i < records.size(); ++i) records[i].time += shift;
  return thrustFile(records);
}

TEST(MissionThrustFile, LongIncrementWarnsOnceAndTheFlightGoesOn) {
  Dialogue d({shiftedCurve(50, 0.01)});
  d.run("10\n3\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  const std::string warning =
      "Error! Booster time increments must be at most 0.986832971065 seconds";
  ASSERT_EQ(d.count(warning), 1u);
  // Read when the flight reaches record 50 and then flown as it is.
  const std::size_t at = d.find(warning);
  EXPECT_NEAR(d.rowBefore(at).t, 50 * interval, 0.006);
  EXPECT_NEAR(parseRow(d.lines[at + 1]).t - d.rowBefore(at).t, interval + 0.01, timeTolerance);
  EXPECT_EQ(d.count("Recommended maxa = "), 1u);
}

TEST(MissionThrustFile, IncrementsWithinTheLimitAndALateFirstRecordWarnNothing) {
  const std::pair<std::string, double> cases[] = {
      {shiftedCurve(50, 0.000000999), 0.99}, {thrustFile(thrustCurve(20e6, 120, 126, 2.0)), 2.0}};
  for (const auto& [curve, firstRecord] : cases) {
    Dialogue d({curve});
    d.run("10\n3\n-1\n");
    ASSERT_EQ(d.status, 0) << d.screen;
    EXPECT_EQ(d.count("Error!"), 0u);
    EXPECT_EQ(d.count("Recommended maxa = "), 1u);
    EXPECT_EQ(d.rows(4, 9)[2].t, firstRecord);  // the first step ends on the first record
  }
}

TEST(MissionThrustFile, FileThatEndsBeforeSeparationStopsWith106) {
  auto records = thrustCurve();
  records.resize(60);
  Dialogue d({thrustFile(records)});
  d.run("10\n3\n-1\n");
  EXPECT_EQ(d.status, 106);
  EXPECT_NE(d.screen.find("\nRuntime error 106: s1.dat ends before record 61"), std::string::npos)
      << d.screen;
  EXPECT_EQ(d.count("End turn."), 1u);
  EXPECT_EQ(d.count("Booster seperation!"), 0u);
  EXPECT_NEAR(parseRow(d.lines.back()).t, 60 * interval, 0.006);  // flown to the last record
}

TEST(MissionThrustFile, MissingFileStopsWith2BeforeTheMissionWritesAnything) {
  Dialogue d({});
  d.run("10\n3\n-1\n");
  EXPECT_EQ(d.status, 2);
  EXPECT_NE(d.screen.find("Runtime error 2: cannot open s1.dat"), std::string::npos) << d.screen;
  EXPECT_EQ(d.lines.back(), "Turn time (s)? 10.000");
  EXPECT_EQ(d.files.memory.files["speed.dat"], "");
}

TEST(MissionAbandon, FallingBackAbandonsOnlyThatMissionAndKeepsTheRecommendationPair) {
  // Boosters of 17 MN leave the core stage too low: it falls back.
  Dialogue d({ownCurve, thrustFile(thrustCurve(17e6)), ownCurve});
  d.run("10\n3\n10\n3\n10\n8\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  const std::string abandon = "Error! Orbit not reached, mission abandoned.";
  ASSERT_EQ(d.count(abandon), 1u);
  const std::size_t second = d.find("Turn time", d.find("Recommended maxa"));
  const std::size_t at = d.find(abandon);
  const std::size_t coreStart = d.find("Maximum angle of attack", second);
  ASSERT_LT(coreStart, at);
  const auto core = d.rows(coreStart, at);
  for (std::size_t i = 0; i + 1 < core.size(); ++i) EXPECT_GE(core[i].h0, 0) << core[i].text;
  EXPECT_LT(core.back().h0, 0);  // the first step below the surface ends it
  EXPECT_EQ(d.lines[at + 1], "Turn time (s)? 10.000");
  EXPECT_EQ(d.count("Turn Time = "), 2u);

  // The third mission's secant runs through the first mission, not the second.
  const std::size_t first = d.find("Turn Time = ") - 2, third = d.find("Turn Time = ", at) - 2;
  const double average1 = d.numbers(first + 4)[2], average3 = d.numbers(third + 4)[2];
  EXPECT_NEAR(d.numbers(third + 23)[0], 8 - 5 * (average3 - 200) / (average3 - average1), 0.1);
}

TEST(MissionAbandon, BoosterPhaseIsNotWatchedTheFirstCoreStepIs) {
  // Boosters that burn out at 41 s: the vehicle is below ground well before 130.2 s.
  Dialogue d({thrustFile(thrustCurve(20e6, 40, 41))});
  d.run("10\n3\n-1\n");
  ASSERT_EQ(d.status, 0) << d.screen;
  const std::size_t separation = d.find("Booster seperation!");
  EXPECT_EQ(d.lines[separation - 1].substr(0, 7), " 130.20");
  EXPECT_LT(parseRow(d.lines[separation - 1]).h0, 0);
  EXPECT_EQ(d.lines[separation + 1], "Maximum angle of attack (degrees)?  3.000");
  EXPECT_TRUE(isRow(d.lines[separation + 2]));
  EXPECT_EQ(d.lines[separation + 3], "Error! Orbit not reached, mission abandoned.");
  EXPECT_EQ(d.lines[separation + 4], "Turn time (s)? -1.000");
}

}  // namespace
}  // namespace ascent

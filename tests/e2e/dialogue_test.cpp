// The start-up dialogue and the mission loop, run on the built program.
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

const char* const dataFiles[] = {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"};
const std::string refusal = "Error! Turn time must be greater than one second.";

using Dialogue = ProgramTest;

TEST_F(Dialogue, EmptyNameReportsOnTheScreenWithConsoleCodesAndNoDataFiles) {
  auto result = run("\n0.5\n0\n-1\n");
  EXPECT_EQ(result.status, 0);
  for (const char* name : dataFiles) EXPECT_FALSE(exists(name)) << name;
  auto lines = splitLines(result.output);
  ASSERT_EQ(lines.size(), 7u) << result.output;
  EXPECT_EQ(lines[0], namePrompt);
  EXPECT_EQ(lines[2][12], '\xfd');  // superscript two, code page 437
  EXPECT_EQ(lines[4], turnPrompt + refusal);
  EXPECT_EQ(lines[5], turnPrompt + refusal);
  EXPECT_EQ(lines[6], turnPrompt);  // answers are not echoed on the screen
}

TEST_F(Dialogue, NamedReportTakesHeadingEchoAndRefusalsWhileTheScreenShowsOnlyPrompts) {
  auto result = run("report.txt\n0.5\n0\n-1\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, namePrompt + turnPrompt + turnPrompt + turnPrompt);
  for (const char* name : dataFiles) {
    ASSERT_TRUE(exists(name)) << name;
    EXPECT_EQ(file(name), "") << name;
  }
  std::string report = file("report.txt");
  EXPECT_EQ(report.substr(0, 1), "\n");
  auto lines = splitLines(report);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2][12], '\xb2');  // superscript two, ISO 8859-1
  EXPECT_EQ(lines[4], "Turn time (s)?  0.500");
  EXPECT_EQ(lines[5], refusal);
  EXPECT_EQ(lines[6], "Turn time (s)?  0.000");
  EXPECT_EQ(lines[7], refusal);
  EXPECT_EQ(lines[8], "Turn time (s)? -1.000");
}

TEST_F(Dialogue, TurnTimeOfOneSecondFliesAMission) {
  useShippedThrustFile();
  auto result = run("report.txt\n1\n25\n-1\n");
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, namePrompt + turnPrompt + alphaPrompt + turnPrompt);
  std::string report = file("report.txt");
  EXPECT_NE(report.find("Turn time (s)?  1.000\n"), std::string::npos);
  EXPECT_NE(report.find("Maximum angle of attack (degrees)? 25.000\n"), std::string::npos);
  EXPECT_NE(report.find("Pitch over!\n"), std::string::npos);
  EXPECT_FALSE(file("speed.dat").empty());
}

TEST_F(Dialogue, EndOfInputAtTheTurnTimePromptEndsNormally) {
  auto result = run("report.txt\n2e-1\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(splitLines(file("report.txt")).back(), refusal);
  // With no answer at all the report goes to the screen and the run still ends.
  EXPECT_EQ(run("").status, 0);
}

TEST_F(Dialogue, AnswerThatIsNotANumberIsRuntimeError106) {
  auto result = run("\nabc\n");
  EXPECT_EQ(result.status, 106);
  EXPECT_EQ(splitLines(result.output).back(),
            "Runtime error 106: not a number: \"abc\" (Turn time (s)?)");
}

TEST_F(Dialogue, FullDeviceIsRuntimeError28) {
  auto result = run("/dev/full\n5\n");
  EXPECT_EQ(result.status, 28);
  EXPECT_NE(
      result.output.find("Runtime error 28: cannot write to /dev/full: No space left on device"),
      std::string::npos)
      << result.output;
}

TEST_F(Dialogue, ReportInAMissingDirectoryIsRuntimeError2) {
  auto result = run("no/such/dir/report.txt\n-1\n");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.output.find("Runtime error 2: cannot create no/such/dir/report.txt"),
            std::string::npos);
  for (const char* name : dataFiles) EXPECT_FALSE(exists(name)) << name;
}

TEST_F(Dialogue, ReportNamedAfterTheThrustFileIsRefusedAndTheFileLeftAlone) {
  useShippedThrustFile();
  const std::string thrust = file("s1.dat");
  auto result = run("s1.dat\n-1\n");
  EXPECT_EQ(result.status, 5);
  EXPECT_NE(result.output.find("Runtime error 5: the report file must not be s1.dat"),
            std::string::npos);
  EXPECT_EQ(file("s1.dat"), thrust);
  for (const char* name : dataFiles) EXPECT_FALSE(exists(name)) << name;
}

}  // namespace
}  // namespace ascent::testing

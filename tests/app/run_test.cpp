// Whole dialogues of the run driver, in memory.
#include "app/run.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

struct Dialogue {
  std::string output;
  MemoryFileSystem files;
  RunOptions options;
  int status = -1;

  void run(const std::string& answers) {
    StringInStream input(answers);
    StringOutStream standardOutput(output);
    status = runProgram(input, standardOutput, files, options);
  }
};

const std::string namePrompt = "Enter output filename (return is standard output): ";
const std::string turnPrompt = "Turn time (s)? ";
const std::string refusal = "Error! Turn time must be greater than one second.\n";

TEST(RunDriver, EmptyNameWritesEverythingToStandardOutputWithConsoleCodes) {
  Dialogue d;
  d.run("\n0.5\n0\n-1\n");
  EXPECT_EQ(d.status, 0);
  EXPECT_TRUE(d.files.files.empty());  // no data files, no report file
  auto lines = splitLines(d.output);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], namePrompt);  // the heading starts with an empty line
  EXPECT_EQ(lines[2][12], '\xfd');  // code page 437 superscript two
  // No echo of the answers: prompts and refusals only.
  EXPECT_EQ(d.output.substr(d.output.find(std::string(77, '-')) + 78),
            turnPrompt + refusal + turnPrompt + refusal + turnPrompt);
}

TEST(RunDriver, NamedReportGetsHeadingEchoAndRefusalsAndDataFilesAreCreated) {
  Dialogue d;
  d.run("out.txt\n0.5\n0\n-1\n");
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(d.output, namePrompt + turnPrompt + turnPrompt + turnPrompt);
  for (const char* name : {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    ASSERT_TRUE(d.files.files.count(name)) << name;
    EXPECT_EQ(d.files.files[name], "") << name;
  }
  auto lines = splitLines(d.files.files["out.txt"]);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[2][12], '\xb2');  // ISO 8859-1 superscript two
  EXPECT_EQ(lines[4], "Turn time (s)?  0.500");
  EXPECT_EQ(lines[5], "Error! Turn time must be greater than one second.");
  EXPECT_EQ(lines[6], "Turn time (s)?  0.000");
  EXPECT_EQ(lines[7], "Error! Turn time must be greater than one second.");
  EXPECT_EQ(lines[8], "Turn time (s)? -1.000");
}

TEST(RunDriver, EndOfInputEndsTheRunNormally) {
  Dialogue d;
  d.run("out.txt\n0\n");
  EXPECT_EQ(d.status, 0);
  EXPECT_EQ(splitLines(d.files.files["out.txt"]).back(),
            "Error! Turn time must be greater than one second.");
}

TEST(RunDriver, AnswerThatIsNotANumberStopsWithError106AndKeepsTheReport) {
  Dialogue d;
  d.run("out.txt\n0.5\n12abc\n");
  EXPECT_EQ(d.status, 106);
  EXPECT_NE(d.output.find("\nRuntime error 106: not a number: \"12abc\" (Turn time (s)?)\n"),
            std::string::npos)
      << d.output;
  EXPECT_NE(d.files.files["out.txt"].find("Error! Turn time"), std::string::npos);
}

TEST(RunDriver, ReportMustNotReplaceTheThrustOrDataFiles) {
  // s1.dat, or the file of --thrust instead.
  for (const std::string thrust : {"s1.dat", "boost/t.dat"}) {
    for (const std::string& name :
         {thrust, "./" + thrust, std::string("speed.dat"), std::string("./dynpres.dat")}) {
      Dialogue d;
      d.options.thrustFile = thrust;
      d.files.files[thrust] = "0.98 1.0\n";
      d.run(name + "\n-1\n");
      EXPECT_EQ(d.status, 5) << name;
      EXPECT_EQ(d.files.files.size(), 1u) << name;  // nothing created or emptied
      EXPECT_EQ(d.files.files[thrust], "0.98 1.0\n");
      EXPECT_NE(d.output.find("Runtime error 5: the report file must not be"), std::string::npos);
    }
  }
}

TEST(RunDriver, ReportNameWithANulByteIsRefused) {
  // The system would create the file named by the part before the NUL.
  Dialogue d;
  d.run(std::string("a\0b.txt\n-1\n", 10));
  EXPECT_EQ(d.status, 5);
  EXPECT_TRUE(d.files.files.empty());
}

}  // namespace
}  // namespace ascent

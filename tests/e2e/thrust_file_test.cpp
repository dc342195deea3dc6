// Which thrust file the program flies: --thrust FILE for a command and for the
// dialogue; without it s1.dat of the working directory, and for a command the
// copy installed with the program when there is none there. (The dialogue's
// report must not be its thrust file: tests/app/run_test.cpp.)
#include <gtest/gtest.h>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

using ThrustFileRules = ProgramTest;

TEST_F(ThrustFileRules, EachPlaceGivesItsFileOrItsMessage) {
  // The build tree's copy, where the program looks for it: share/ascent/ beside bin/.
  const std::string shared = std::filesystem::weakly_canonical(
      std::filesystem::path(ASCENT_PROGRAM).parent_path() / "../share/ascent/s1.dat");
  const std::string fly = "fly --turn-time 18 --limit 24.06", dialogue = "x.txt\n18\n24.06\n-1\n";
  const struct {
    const char* here;  // the shipped history as this file, or "s1.dat/" a folder
    std::string arguments, input;
    int status;
    std::string err, outHolds;  // standard error exactly; in standard output or the report
  } cases[] = {
      {"s1.dat", fly, "", 0, "", "orbit"},
      {"", fly, "", 0, "Thrust: " + shared + " (no s1.dat here)\n", "orbit"},
      {"s1.dat", fly + " --thrust none.dat", "", 3,
       "ascent: cannot open none.dat: No such file or directory\n", ""},
      {"s1.dat/", fly, "", 3,
       "ascent: cannot read s1.dat: Is a directory (give the thrust file with --thrust FILE)\n",
       ""},
      {"s1.dat", "--thrust own.dat " + fly, "", 2,
       "ascent: --thrust before the command is the dialogue's: give it after the command "
       "(ascent fly --thrust FILE)\n",
       ""},
      {"s1.dat", "--vehicle own.toml plot", "", 2,
       "ascent: --vehicle before the command is the dialogue's: the plot command takes none\n", ""},
      {"own.dat", "--thrust own.dat", dialogue, 0, "", "Upper Stage in Orbit!"},
      {"", "", dialogue, 2, "", "Runtime error 2: cannot open s1.dat: No such file or directory"},
  };
  const std::string shipped = readFile(std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.here) + " " + c.arguments);
    for (const char* name : {"s1.dat", "own.dat", "x.txt"}) std::filesystem::remove_all(dir / name);
    if (std::string(c.here) == "s1.dat/") std::filesystem::create_directory(dir / "s1.dat");
    if (*c.here != '\0' && std::string(c.here).back() != '/') writeFile(dir / c.here, shipped);
    const CommandRun result = command(c.arguments, "", c.input);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    const std::string written = result.out + (exists("x.txt") ? file("x.txt") : "");
    EXPECT_NE(written.find(c.outHolds), std::string::npos) << written;
  }
}

}  // namespace
}  // namespace ascent::testing

// The vehicle as a file: the printed default flies the bytes of no file at
// all, in the commands and in the dialogue; a bad file stops every command
// before anything is flown or written.
#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

using VehicleFiles = ProgramTest;

TEST_F(VehicleFiles, ThePrintedDefaultFliesTheSameBytesAsNoFile) {
  useShippedThrustFile();
  const CommandRun printed = command("vehicle");
  ASSERT_EQ(printed.status, 0) << printed.err;
  writeFile(dir / "v.toml", printed.out);
  for (const std::string arguments :
       {"fly --turn-time 18 --limit 24.06 --json", "target --turn-time 18 --json"}) {
    const CommandRun plain = command(arguments);
    const CommandRun withFile = command(arguments + " --vehicle v.toml");
    EXPECT_EQ(plain.status, 0) << arguments;
    EXPECT_EQ(withFile.out, plain.out) << arguments;
  }
  const std::string answers = "\n18\n24.06\n-1\n";
  EXPECT_EQ(command("--vehicle v.toml", "", answers).out, command("", "", answers).out);
}

TEST_F(VehicleFiles, ABadFileStopsEveryCommandBeforeItFlies) {
  useShippedThrustFile();
  writeFile(dir / "bad.toml", "schema = 1\n[core]\nthrust = 9e6\n");
  writeFile(dir / "weak.toml", "schema = 1\n[boosters]\nthrust_scale = 0.01\n");
  for (const std::string arguments :
       {"fly --turn-time 18 --limit 24 --trajectory t.csv", "target --turn-time 18",
        "sweep --turn-time 5:6:1 --csv s.csv", ""}) {
    const CommandRun bad = command(arguments + " --vehicle bad.toml", "", "\n18\n24\n-1\n");
    EXPECT_EQ(bad.status, 2) << arguments;
    EXPECT_NE(bad.err.find("bad.toml:3: unknown key core.thrust (did you mean 'core.thrust_N'?)"),
              std::string::npos)
        << arguments << ": " << bad.err;
    EXPECT_EQ(bad.out, "") << arguments;
  }
  const CommandRun weak = command("fly --turn-time 18 --limit 24 --vehicle weak.toml");
  EXPECT_EQ(weak.status, 2);
  EXPECT_NE(weak.err.find("cannot leave the pad"), std::string::npos) << weak.err;
  EXPECT_FALSE(exists("t.csv") || exists("s.csv"));
  const CommandRun check = command("vehicle --check weak.toml");
  EXPECT_EQ(check.out.substr(0, check.out.find('\n')),
            "weak.toml: a valid vehicle, 1 key differs from the defaults");
}

}  // namespace
}  // namespace ascent::testing

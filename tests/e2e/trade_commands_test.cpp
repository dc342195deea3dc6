// optimize and trade as a user runs them: the same bytes on any number of
// threads, usage errors with status 2, and the tornado chart under any name.
#include <filesystem>
#include <string>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

using TradeCommands = ProgramTest;

TEST_F(TradeCommands, SameBytesOnOneAndTwoThreads) {
  useShippedThrustFile();
  const char* const commands[] = {
      "optimize --turn-time 30:80",
      "optimize --json",
      "trade --turn-time 50 --keys core.thrust_N,boosters.count,resizing.S3_Mt_kg --csv t.csv",
      "trade --optimize --keys upper.thrust_N --json",
  };
  // Each run's table is read and removed, so the second run must write its own.
  const auto takeCsv = [&] {
    const std::string csv = exists("t.csv") ? file("t.csv") : "";
    std::filesystem::remove(dir / "t.csv");
    return csv;
  };
  for (const std::string arguments : commands) {
    SCOPED_TRACE(arguments);
    const bool writesCsv = arguments.find("--csv t.csv") != std::string::npos;
    const CommandRun one = command(arguments + " --jobs 1");
    const std::string csvOne = takeCsv();
    const CommandRun two = command(arguments + " --jobs 2");
    const std::string csvTwo = takeCsv();
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(one.out, two.out);
    EXPECT_EQ(one.err, "");  // no progress line off a terminal
    EXPECT_EQ(!csvOne.empty(), writesCsv);
    EXPECT_EQ(csvOne, csvTwo);
  }
  // The table names what it could not trade, and why.
  const CommandRun trade = command("trade --turn-time 50 --keys boosters.count,core.thrust_N");
  EXPECT_NE(trade.out.find("invalid: one step lower: boosters.count = 1.98"), std::string::npos)
      << trade.out;
}

TEST_F(TradeCommands, UsageErrorsExitTwo) {
  useShippedThrustFile();
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"trade", "--turn-time or --optimize"},
      {"trade --turn-time 50 --optimize", "excludes"},
      {"trade --turn-time 50 --keys core.thrust",
       "--keys: 'core.thrust' is not a vehicle key (did you mean 'core.thrust_N'?)"},
      {"trade --turn-time 0.5", "--turn-time: the turn time 0.5 s is outside 1 to 10000 s"},
      {"trade --optimize --relative-step 0.5", "--relative-step: the relative step 0.5 is outside"},
      {"trade --optimize --altitude 0.5", "--altitude: the target altitude 0.5 km is outside"},
      {"optimize --turn-time 80:30",
       "--turn-time: the first turn time 80 s is after the last 30 s"},
      {"optimize --turn-time 30", "FROM:TO"},
      {"optimize --scan-points 2", "--scan-points: the number of scan points 2 is outside"},
      {"optimize --jobs 0", "--jobs: the number of threads 0 is outside 1 to 1024"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const CommandRun run = command(c.arguments);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

TEST_F(TradeCommands, TheTornadoChartTakesAnyFileName) {
  useShippedThrustFile();
  if (std::system("command -v gnuplot > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "gnuplot is not installed (apt-get install gnuplot-nox)";
  }
  std::filesystem::create_directory(dir / "tmp");
  const CommandRun run = command(
      "trade --turn-time 50 --keys core.thrust_N,upper.thrust_N --plot \"it's a \\$chart.png\"",
      "TMPDIR='" + (dir / "tmp").string() + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(file("it's a $chart.png").substr(0, 4), "\x89PNG");
  // Nothing is left behind: not gnuplot's directory, not a half-written chart.
  EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_NE(entry.path().filename().string().rfind(".ascent-", 0), 0u) << entry.path();
  }
}

}  // namespace
}  // namespace ascent::testing

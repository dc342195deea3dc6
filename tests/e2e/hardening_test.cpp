// Bad input, odd report names, failing files, broken thrust files, interrupts
// and long runs: the program either does its job or stops with
// "Runtime error N: reason" and status N, keeping everything written before.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

std::string lastLine(const std::string& text) {
  return splitLines(text).back();
}

using BadAnswers = ProgramTest;

TEST_F(BadAnswers, WhatIsNotANumberIsRuntimeError106) {
  for (const char* answer : {"abc", "12abc", "1,5", "nan", "inf", "0x10", "1e400", "\x01\xff"}) {
    auto result = run(std::string("\n") + answer + "\n");
    EXPECT_EQ(result.status, 106) << answer;
    EXPECT_EQ(lastLine(result.output).rfind("Runtime error 106: not a number: \"", 0), 0u)
        << result.output;
  }
}

TEST_F(BadAnswers, BlankLinesCarriageReturnsAndHugeLinesAreRead) {
  // Blank lines before an answer are skipped; "\r\n" ends lines like "\n".
  auto result = run("report.txt\r\n\r\n\n  \t0.5  trailing words\r\n\r\n-1\r\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(exists("report.txt"));  // the carriage return is not part of the name
  EXPECT_NE(file("report.txt").find("Turn time (s)?  0.500\n"), std::string::npos);

  // A megabyte of blanks before the answer, then a megabyte of junk after it.
  result = run("\n" + std::string(1 << 20, ' ') + "0.5 " + std::string(1 << 20, 'x') + "\n-1\n");
  EXPECT_EQ(result.status, 0);

  // A megabyte-long token is not a number, and the message stays short.
  result = run("\n" + std::string(1 << 20, '7') + "x\n");
  EXPECT_EQ(result.status, 106);
  EXPECT_LT(lastLine(result.output).size(), 200u);
}

TEST_F(BadAnswers, EndOfInputAtEachPrompt) {
  useShippedThrustFile();
  EXPECT_EQ(run("").status, 0);          // at the report name: the screen, then the end
  EXPECT_EQ(run("\n").status, 0);        // at the turn time: the run ends normally
  auto result = run("report.txt\n5\n");  // at the angle of attack: nobody to answer
  EXPECT_EQ(result.status, 106);
  EXPECT_EQ(lastLine(result.output),
            "Runtime error 106: end of input (Maximum angle of attack (degrees)?)");
  EXPECT_NE(file("report.txt").find("Booster seperation!"), std::string::npos);
}

TEST_F(BadAnswers, HugeAngleOfAttackOverflowsInTheConversionToRadians) {
  useShippedThrustFile();
  auto result = run("report.txt\n5\n1e308\n");
  EXPECT_EQ(result.status, 205);
  EXPECT_EQ(lastLine(result.output), "Runtime error 205: floating-point overflow");
  // The booster phase's rows and the echoed answer were flushed before the fault.
  // The echo is the exact binary value of the answer, 309 digits and 3 decimals.
  const std::string echo = lastLine(file("report.txt"));
  EXPECT_EQ(echo.rfind("Maximum angle of attack (degrees)? 1000000000000000", 0), 0u);
  EXPECT_EQ(echo.size(), alphaPrompt.size() + 309 + 4);
}

using ReportNames = ProgramTest;

TEST_F(ReportNames, NamesThatCannotBeCreatedStopWithTheSystemErrorNumber) {
  std::filesystem::create_directory(dir / "adir");
  EXPECT_EQ(run("no/such/dir/r.txt\n-1\n").status, 2);
  EXPECT_EQ(run("adir\n-1\n").status, 21);
  EXPECT_EQ(run("/dev/full\n-1\n").status, 28);
}

TEST_F(ReportNames, UnwritableDirectoryIsRuntimeError13) {
  std::filesystem::create_directory(dir / "adir");
  // Root writes into any directory: the program then runs as nobody, in a
  // working directory it may enter.
  std::string asUser;
  if (::geteuid() == 0) {
    if (std::system("command -v setpriv > /dev/null 2>&1") != 0) {
      GTEST_SKIP() << "running as root without setpriv (util-linux) to run as another user";
    }
    asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
  }
  std::filesystem::permissions(
      dir / "adir", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                        std::filesystem::perms::others_read | std::filesystem::perms::others_exec);
  EXPECT_EQ(run("adir/r.txt\n-1\n", asUser).status, 13);
}

TEST_F(ReportNames, NamesOfTheThrustAndDataFilesAreRefusedWithoutTruncatingThem) {
  for (const char* name : {"s1.dat", "speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    writeFile(dir / name, "keep me\n");
  }
  for (const char* name :
       {"s1.dat", "./speed.dat", "height.dat", "adir/../accel.dat", "dynpres.dat"}) {
    std::filesystem::create_directories(dir / "adir");
    auto result = run(std::string(name) + "\n-1\n");
    EXPECT_EQ(result.status, 5) << name;
    for (const char* kept : {"s1.dat", "speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
      EXPECT_EQ(file(kept), "keep me\n") << name << " touched " << kept;
    }
  }
}

TEST_F(ReportNames, AReportThatFillsUpStopsWithError27AndKeepsEveryRowBeforeIt) {
  useShippedThrustFile();
  const std::string answers = "report.txt\n5\n20\n5\n20\n5\n20\n-1\n";
  ASSERT_EQ(run(answers).status, 0);
  const std::string complete = file("report.txt");
  ASSERT_GT(complete.size(), 120000u);

  // A file-size limit of 100 blocks, with SIGXFSZ ignored so the write fails.
  auto result = run(answers, "trap '' XFSZ; ulimit -f 100;");
  EXPECT_EQ(result.status, 27) << result.output;
  EXPECT_NE(
      lastLine(result.output).find("Runtime error 27: cannot write to report.txt: File too large"),
      std::string::npos);
  const std::string partial = file("report.txt");
  ASSERT_GT(partial.size(), 40000u);
  EXPECT_LT(partial.size(), complete.size());
  EXPECT_EQ(complete.compare(0, partial.size(), partial), 0) << "the report is not a prefix";
}

TEST_F(ReportNames, ScreenReportIntoAClosedPipeIsRuntimeError32NotASignal) {
  useShippedThrustFile();
  writeFile(dir / "answers.txt", "\n5\n20\n5\n20\n-1\n");
  const std::string command = "cd '" + dir.path().string() +
                              "' && { '" ASCENT_PROGRAM
                              "' < answers.txt; echo $? > status.txt; } | head -c 100 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(file("status.txt"), "32\n");
}

using ThrustFiles = ProgramTest;

struct ThrustCase {
  const char* what;
  std::string contents;
  int status;
};

TEST_F(ThrustFiles, BrokenThrustFilesStopWithTheirErrorNumber) {
  const std::string good = "0.986832971065 19000000\n1.973665942130 19500000\n";
  const ThrustCase cases[] = {
      {"empty", "", 106},
      {"too short", good, 106},
      {"not a number", good + "2.960498913195 abc\n", 106},
      {"zero increment, thrust changes", good + "1.973665942130 19600000\n", 200},
      {"zero increment, same thrust", good + "1.973665942130 19500000\n", 207},
      {"first record with zero thrust", "0.986832971065 0\n1.973665942130 19500000\n", 207},
  };
  for (const auto& c : cases) {
    writeFile(dir / "s1.dat", c.contents);
    auto result = run("report.txt\n5\n20\n-1\n");
    EXPECT_EQ(result.status, c.status) << c.what << ": " << result.output;
    EXPECT_EQ(lastLine(result.output).rfind("Runtime error " + std::to_string(c.status), 0), 0u)
        << c.what;
  }
}

TEST_F(ThrustFiles, MissingOrDirectoryThrustFileStopsBeforeTheMissionWritesAnything) {
  auto result = run("report.txt\n5\n");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(lastLine(result.output),
            "Runtime error 2: cannot open s1.dat: No such file or directory");
  EXPECT_EQ(lastLine(file("report.txt")), "Turn time (s)?  5.000");

  std::filesystem::create_directory(dir / "s1.dat");
  EXPECT_EQ(run("report.txt\n5\n").status, 21);
}

TEST_F(ThrustFiles, NegativeIncrementRunsBackwardsWithoutACrash) {
  useShippedThrustFile();
  std::string thrust = file("s1.dat");
  // Swap the times of records 20 and 21: one interval runs backwards.
  auto lines = splitLines(thrust);
  std::swap(lines[19], lines[20]);
  std::string edited;
  for (const auto& line : lines) edited += line + "\n";
  writeFile(dir / "s1.dat", edited);
  auto result = run("report.txt\n5\n20\n-1\n");
  EXPECT_LT(result.status, 128) << "ended by a signal";
  EXPECT_TRUE(result.status == 0 || result.output.find("Runtime error") != std::string::npos);
}

TEST_F(ThrustFiles, CarriageReturnLineEndsGiveTheSameReport) {
  useShippedThrustFile();
  ASSERT_EQ(run("report.txt\n5\n20\n-1\n").status, 0);
  const std::string unixReport = file("report.txt");
  std::string crlf;
  for (const auto& line : splitLines(file("s1.dat"))) crlf += line + "\r\n";
  writeFile(dir / "s1.dat", crlf);
  ASSERT_EQ(run("report.txt\n5\n20\n-1\n").status, 0);
  EXPECT_EQ(file("report.txt"), unixReport);
}

TEST_F(ThrustFiles, StageThatBurnsMoreThanItsMassAbandonsTheMissionNotTheRun) {
  // With this front-loaded history, a 15 s turn and a 24 degree limit leave the
  // upper stage skimming at 11 km until it has burned its own structure.
  std::filesystem::copy_file(std::filesystem::path(ASCENT_TEST_DATA_DIR) / "front_loaded_s1.dat",
                             dir / "s1.dat");
  auto result = run("report.txt\n15\n24\n0.5\n-1\n");
  EXPECT_EQ(result.status, 0) << result.output;
  auto lines = splitLines(file("report.txt"));
  auto abandoned =
      std::find(lines.begin(), lines.end(), "Error! Orbit not reached, mission abandoned.");
  ASSERT_NE(abandoned, lines.end());
  // The last row before it shows the total mass gone negative.
  const std::string& row = *(abandoned - 1);
  EXPECT_EQ(row.back(), '1');
  EXPECT_NE(row.substr(row.size() - 10).find('-'), std::string::npos) << row;
  EXPECT_EQ(*(abandoned + 1), "Turn time (s)?  0.500");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Upper Stage Engine Cutoff!"), 0);
}

TEST_F(ThrustFiles, RecordsThatCannotBeFlownEndInsteadOfRunningForever) {
  // Time goes back before pitch-over: refused at the first record that does.
  std::filesystem::copy_file(std::filesystem::path(ASCENT_TEST_DATA_DIR) / "never_climbs_s1.dat",
                             dir / "s1.dat");
  auto result = run("report.txt\n5\n20\n-1\n");
  EXPECT_EQ(result.status, 106);
  EXPECT_EQ(lastLine(result.output),
            "Runtime error 106: s1.dat record 13: time 74.9968 s is earlier than 84.8648 s of "
            "record 12");

  // A first record too weak to lift off, then a 90 s interval: one Runge-Kutta
  // step over it climbs to 8 km, the step back does not return to the pad but
  // lands 95 km below it, and the search's 9 s steps from there never climb
  // to 110 m.
  writeFile(dir / "s1.dat", "1.0 5000000\n91.0 33000000\n181.0 0\n");
  result = run("report.txt\n5\n20\n-1\n");
  EXPECT_EQ(result.status, 106);
  EXPECT_EQ(
      lastLine(result.output),
      "Runtime error 106: the thrust records cannot be flown: the climb to 110 m does not end");
  EXPECT_LT(file("report.txt").size(), 500000u);

  // A turn held past the last record: the reason names the turn time and the
  // record the file ends with, not a broken file.
  {
    const std::string shipped = readFile(std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat");
    std::size_t end = 0;
    for (int record = 0; record < 30; ++record) end = shipped.find('\n', end) + 1;
    writeFile(dir / "s1.dat", shipped.substr(0, end));
  }
  result = run("\n40\n");
  EXPECT_EQ(result.status, 106);
  EXPECT_EQ(lastLine(result.output),
            "Runtime error 106: the turn time 40 s ends after the last record of s1.dat (record 30 "
            "at 29.60498913195 s)");

  // A huge booster thrust leaves a hugely negative residual: core propellant
  // for millions of seconds. The mission is abandoned at 10000 s.
  std::filesystem::remove(dir / "s1.dat");
  std::filesystem::copy_file(std::filesystem::path(ASCENT_TEST_DATA_DIR) / "huge_thrust_s1.dat",
                             dir / "s1.dat");
  result = run("report.txt\n5\n20\n-1\n");
  EXPECT_EQ(result.status, 0) << result.output;
  auto lines = splitLines(file("report.txt"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2], "Error! Orbit not reached, mission abandoned.");
  const double lastTime = std::stod(lines[lines.size() - 3].substr(0, 8));
  EXPECT_GT(lastTime, 10000.0);
  EXPECT_LE(lastTime, 10001.0);
}

// Starts the program with its standard input on a pipe that the test holds open.
struct RunningProgram {
  pid_t pid = -1;
  int input = -1;

  RunningProgram(const std::filesystem::path& directory, const std::string& answers) {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    pid = ::fork();
    if (pid == 0) {
      ::dup2(fds[0], STDIN_FILENO);
      ::close(fds[0]);
      ::close(fds[1]);
      if (::chdir(directory.c_str()) != 0) ::_exit(99);
      int out = ::open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(out, STDOUT_FILENO);
      ::execl(ASCENT_PROGRAM, ASCENT_PROGRAM, static_cast<char*>(nullptr));
      ::_exit(98);
    }
    ::close(fds[0]);
    input = fds[1];
    if (::write(input, answers.data(), answers.size()) != static_cast<ssize_t>(answers.size())) {
      throw std::runtime_error("write");
    }
  }
  int stop(int signal) {
    ::kill(pid, signal);
    int status = waitWithLimit(pid, 10s);
    ::close(input);
    return status;
  }
};

void waitFor(const std::function<bool()>& condition) {
  for (int i = 0; i < 3000 && !condition(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

using Interrupts = ProgramTest;

TEST_F(Interrupts, TerminationAtAPromptFlushesEverythingAndEndsWith143) {
  useShippedThrustFile();
  RunningProgram program(dir.path(), "report.txt\n5\n20\n");
  const std::string waiting = namePrompt + turnPrompt + alphaPrompt + turnPrompt;
  waitFor([&] { return file("stdout.txt") == waiting; });
  ASSERT_EQ(file("stdout.txt"), waiting);
  EXPECT_EQ(program.stop(SIGTERM), 143);
  EXPECT_EQ(lastLine(file("stdout.txt")), "Runtime error 143: interrupted by SIGTERM");
  EXPECT_NE(file("report.txt").find("Recommended maxa = "), std::string::npos);
  EXPECT_FALSE(file("dynpres.dat").empty());
}

TEST_F(Interrupts, InterruptDuringFlightKeepsWholeRowsAndEndsWith130) {
  useShippedThrustFile();
  std::string answers = "report.txt\n";
  for (int i = 0; i < 400; ++i) answers += "5\n20\n";
  RunningProgram program(dir.path(), answers);
  waitFor([&] { return file("report.txt").size() > 300000; });
  EXPECT_EQ(program.stop(SIGINT), 130);
  const std::string report = file("report.txt");
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.back(), '\n');  // no half-written row
  EXPECT_EQ(file("speed.dat").back(), '\n');
  EXPECT_EQ(lastLine(file("stdout.txt")), "Runtime error 130: interrupted by SIGINT");
}

// Peak resident memory (KiB) of one run of the program with the report on the screen.
long peakMemoryOfRun(const std::filesystem::path& directory, int missions) {
  std::string answers = "\n";
  for (int i = 0; i < missions; ++i) answers += "5\n20\n";
  answers += "-1\n";
  writeFile(directory / "answers.txt", answers);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(directory.c_str()) != 0) ::_exit(99);
    int in = ::open("answers.txt", O_RDONLY);
    int out = ::open("/dev/null", O_WRONLY);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::execl(ASCENT_PROGRAM, ASCENT_PROGRAM, static_cast<char*>(nullptr));
    ::_exit(98);
  }
  struct rusage usage {};
  EXPECT_EQ(waitWithLimit(pid, 60s, &usage), 0);
  return usage.ru_maxrss;
}

using LongRuns = ProgramTest;

TEST_F(LongRuns, TwoThousandMissionsKeepMemoryFlat) {
#if defined(ASCENT_SANITIZED)
  GTEST_SKIP() << "the sanitizers' own bookkeeping grows with the work done";
#endif
  useShippedThrustFile();
  const long few = peakMemoryOfRun(dir.path(), 2);
  const long many = peakMemoryOfRun(dir.path(), 2000);
  EXPECT_LE(many, few + few / 10) << "2 missions: " << few << " KiB, 2000 missions: " << many;
}

}  // namespace
}  // namespace ascent::testing

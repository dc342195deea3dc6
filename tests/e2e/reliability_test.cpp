// Nothing lost, nothing ignored: outputs that would share a file, two runs in
// one directory, input without end, blocking opens, signals at awkward
// moments or ignored by the parent, a terminal's echo, standard output that
// fails or does not keep up, and memory that runs out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "e2e/e2e_support.h"

namespace ascent::testing {
namespace {

namespace fs = std::filesystem;

std::string lastLine(const std::string& text) {
  auto lines = splitLines(text);
  return lines.empty() ? "" : lines.back();
}

// Every entry of a directory: a file's bytes, a link's target, or its kind.
std::map<std::string, std::string> snapshot(const fs::path& directory) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::directory_iterator(directory)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      entries[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      entries[name] = readFile(entry.path());
    } else {
      entries[name] = "other";
    }
  }
  return entries;
}

const char* signalName(int signal) {
  return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "SIGHUP";
}

std::string interrupted(int signal) {
  return "Runtime error " + std::to_string(128 + signal) + ": interrupted by " + signalName(signal);
}

// --- Outputs never land on the thrust file or on one another ---------------

using OutputFiles = ProgramTest;

TEST_F(OutputFiles, OutputsThatWouldShareAFileAreRefusedBeforeAnythingIsCreatedOrEmptied) {
  struct Case {
    std::string what;
    std::function<void(const fs::path&)> setUp;
    std::string name;    // the report's name; "{dir}" stands for the working directory
    std::string reason;  // how the refusal begins
  };
  auto none = [](const fs::path&) {};
  std::vector<Case> cases;
  for (const char* data : {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    cases.push_back({std::string("the report named ") + data + ", which does not exist yet", none,
                     data, std::string("the report file must not be ") + data});
  }
  cases.push_back({"the report through a link to the working directory",
                   [](const fs::path& d) { fs::create_directory_symlink(".", d / "here"); },
                   "here/accel.dat", "the report file must not be accel.dat"});
  cases.push_back({"the report named by an absolute path through a parent", none,
                   "{dir}/sub/../s1.dat", "the report file must not be s1.dat"});
  cases.push_back({"a data file that is a symbolic link to s1.dat",
                   [](const fs::path& d) { fs::create_symlink("s1.dat", d / "speed.dat"); },
                   "r.txt", "the data file speed.dat must not be s1.dat"});
  cases.push_back({"a data file that is a hard link to s1.dat",
                   [](const fs::path& d) { fs::create_hard_link(d / "s1.dat", d / "height.dat"); },
                   "r.txt", "the data file height.dat must not be s1.dat"});
  cases.push_back({"a report name that is a hard link to s1.dat",
                   [](const fs::path& d) { fs::create_hard_link(d / "s1.dat", d / "h.txt"); },
                   "h.txt", "the report file must not be s1.dat"});
  cases.push_back({"a dangling symbolic link to a data file as the report",
                   [](const fs::path& d) { fs::create_symlink("accel.dat", d / "link.txt"); },
                   "link.txt", "the report file must not be accel.dat"});
  cases.push_back({"a data file that is a symbolic link to the report, not written yet",
                   [](const fs::path& d) { fs::create_symlink("r.txt", d / "dynpres.dat"); },
                   "r.txt", "the report file must not be dynpres.dat"});
  cases.push_back({"two data files that are one",
                   [](const fs::path& d) {
                     writeFile(d / "speed.dat", "keep me\n");
                     fs::create_hard_link(d / "speed.dat", d / "accel.dat");
                   },
                   "r.txt", "the data file speed.dat must not be accel.dat"});

  for (const Case& c : cases) {
    TempDir caseDir;
    fs::copy_file(fs::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat", caseDir / "s1.dat");
    fs::create_directory(caseDir / "sub");
    c.setUp(caseDir.path());
    std::string name = c.name;
    if (name.rfind("{dir}", 0) == 0) name.replace(0, 5, caseDir.path().string());
    const auto before = snapshot(caseDir.path());
    auto result = runProgram(ASCENT_PROGRAM, caseDir.path(), name + "\n5\n20\n-1\n");
    EXPECT_EQ(result.status, 5) << c.what << ":\n" << result.output;
    EXPECT_EQ(lastLine(result.output).rfind("Runtime error 5: " + c.reason, 0), 0u)
        << c.what << ": " << lastLine(result.output);
    EXPECT_EQ(snapshot(caseDir.path()), before) << c.what;
  }
}

TEST_F(OutputFiles, ReportNamesLongerThan255CharactersAreRefusedNotCut) {
  const std::string longest(255, 'r');
  ASSERT_EQ(run(longest + "\n-1\n").status, 0);
  ASSERT_TRUE(exists(longest));
  // Cut to 255 characters, this name would be the report just written.
  const auto before = snapshot(dir.path());
  auto result = run(longest + "s\n-1\n");
  EXPECT_EQ(result.status, 5);
  EXPECT_EQ(
      lastLine(result.output)
          .rfind("Runtime error 5: the report file name is longer than 255 characters (\"rrr", 0),
      0u)
      << lastLine(result.output);
  EXPECT_EQ(snapshot(dir.path()), before);
}

TEST_F(OutputFiles, ASecondRunInTheDirectoryStopsWithError11AndLeavesTheFirstRunsFilesAlone) {
  useShippedThrustFile();
  Child first(childSetup());
  first.send("first.txt\n5\n20\n");
  ASSERT_TRUE(first.waitForOutput(namePrompt + turnPrompt + alphaPrompt + turnPrompt));
  ASSERT_FALSE(file("speed.dat").empty());

  const auto before = snapshot(dir.path());
  auto second = run("second.txt\n-1\n");
  EXPECT_EQ(second.status, 11);
  EXPECT_EQ(
      lastLine(second.output),
      "Runtime error 11: another run is writing the data files of this directory (speed.dat)");
  EXPECT_EQ(snapshot(dir.path()), before);  // no second.txt, no data file emptied

  EXPECT_EQ(run("\n-1\n").status, 0);  // a run on the screen writes no data files: no lock

  first.send("-1\n");
  EXPECT_EQ(first.finish(), 0);
  EXPECT_EQ(run("second.txt\n-1\n").status, 0);  // the lock ends with the run that held it
}

// --- Signals: never lost, never ignored wrongly, never a hang ----------------

using Interrupts = ProgramTest;

TEST_F(Interrupts, InputWithoutEndAndBlockingOpensGiveWayToAnInterrupt) {
  struct Case {
    const char* what;
    std::function<void(const fs::path&)> setUp;
    std::string answers;
    std::string forever;  // sent without end after the answers
    int signal;
  };
  auto fifo = [](const char* name) {
    return [name](const fs::path& d) {
      fs::remove(d / name);
      ASSERT_EQ(::mkfifo((d / name).c_str(), 0644), 0);
    };
  };
  const Case cases[] = {
      {"blank lines without end at the turn time", nullptr, "\n", "\n", SIGINT},
      {"blanks without end before an answer", nullptr, "\n", " \t", SIGHUP},
      {"an answer whose line never ends", nullptr, "\n0.5 ", "x", SIGTERM},
      {"s1.dat a FIFO that no one writes", fifo("s1.dat"), "\n5\n", "", SIGTERM},
      {"the report a FIFO that no one reads", fifo("fifo"), "fifo\n", "", SIGINT},
      {"a data file a FIFO that no one reads", fifo("speed.dat"), "r.txt\n", "", SIGHUP},
  };
  for (const Case& c : cases) {
    TempDir caseDir;
    fs::copy_file(fs::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat", caseDir / "s1.dat");
    if (c.setUp) c.setUp(caseDir.path());
    ChildSetup setup = childSetup();
    setup.directory = caseDir.path();
    Child program(setup);
    program.send(c.answers);
    if (!c.forever.empty()) program.sendForever(c.forever);
    ASSERT_TRUE(program.waitForOutput(namePrompt)) << c.what;
    program.runFor(200ms);  // into the endless loop or the waiting open
    program.signal(c.signal);
    EXPECT_EQ(program.finish(), 128 + c.signal) << c.what;
    EXPECT_EQ(lastLine(program.output), interrupted(c.signal)) << c.what;
  }
}

TEST_F(Interrupts, InputWithoutEndThatCannotBeAnAnswerEndsTheRunByItself) {
  struct Case {
    const char* what;
    std::string answers, forever, inputFile;
    int status;
  };
  const Case cases[] = {
      {"/dev/zero: a report name without end", "", "", "/dev/zero", 5},
      {"a report name of blanks without end", "", " ", "", 5},
      {"a number without end", "\n", "7", "", 106},
  };
  for (const Case& c : cases) {
    ChildSetup setup = childSetup();
    if (!c.inputFile.empty()) {
      setup.input = ChildSetup::Input::file;
      setup.inputFile = c.inputFile;
    }
    Child program(setup);
    program.send(c.answers);
    if (!c.forever.empty()) program.sendForever(c.forever);
    EXPECT_EQ(program.finish(), c.status) << c.what;
    EXPECT_EQ(lastLine(program.output).rfind("Runtime error " + std::to_string(c.status), 0), 0u)
        << c.what;
  }
}

TEST_F(Interrupts, ASignalDuringTheLastFlushBeforeTheEndOfTheInputIsNotLost) {
  // The answers and the end of the input are there from the start; the pipe
  // has room for all of the screen report but its last flush (the summary and
  // the prompt), where the program waits when the signal comes. After it, no
  // row is written and the next read finds the end of the input.
  useShippedThrustFile();
  const std::string answers = "\n5\n20\n";
  const std::string whole = run(answers).output;
  ASSERT_EQ(whole.compare(whole.size() - turnPrompt.size(), turnPrompt.size(), turnPrompt), 0);
  ChildSetup setup = childSetup();
  setup.outputRoom = whole.size() - 100;
  Child program(setup);
  program.readOutput(false);
  program.send(answers);
  program.closeInput();
  program.runFor(300ms);
  program.signal(SIGTERM);
  program.readOutput(true);
  EXPECT_EQ(program.finish(), 143);
  EXPECT_EQ(program.output, whole + "\n" + interrupted(SIGTERM) + "\n");  // nothing lost either
}

TEST_F(Interrupts, AnInterruptEndsARunWhoseOutputNoOneReads) {
  // The screen report fills the pipe and the program waits to write more.
  useShippedThrustFile();
  Child program(childSetup());
  program.readOutput(false);
  program.send("\n5\n20\n5\n20\n5\n20\n-1\n");
  program.runFor(300ms);
  program.signal(SIGTERM);
  EXPECT_EQ(program.finish(), 143);  // the output is given up after a second
  EXPECT_EQ(program.errors, interrupted(SIGTERM) + "\n");
}

TEST_F(Interrupts, ASignalThatTheParentIgnoresStaysIgnored) {
  for (int signal : {SIGHUP, SIGINT, SIGTERM}) {
    ChildSetup setup = childSetup();
    setup.beforeExec = [signal] { ::signal(signal, SIG_IGN); };  // as nohup, trap '' HUP
    Child program(setup);
    program.send("\n");
    ASSERT_TRUE(program.waitForOutput(turnPrompt));
    program.signal(signal);
    program.runFor(100ms);
    program.send("-1\n");
    EXPECT_EQ(program.finish(), 0) << signalName(signal);
    EXPECT_EQ(program.output.find("Runtime error"), std::string::npos) << signalName(signal);
  }
}

// --- A terminal ----------------------------------------------------------------

using Terminal = ProgramTest;

TEST_F(Terminal, TheErrorLineStartsALineOfItsOwnAfterCtrlCOrCtrlD) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> keys;  // once this shows, type that
    int status;
    std::string reason;
  };
  const std::string name = "report.txt\n";
  const Case cases[] = {
      {"Ctrl-C in the middle of an answer",
       {{namePrompt, name}, {turnPrompt, "12\x03"}},
       130,
       "interrupted by SIGINT"},
      {"Ctrl-D at the angle-of-attack prompt",
       {{namePrompt, name}, {turnPrompt, "5\n"}, {alphaPrompt, "\x04"}},
       106,
       "end of input (Maximum angle of attack (degrees)?)"},
      {"Ctrl-D after part of an answer, then at its end",
       {{namePrompt, name}, {turnPrompt, "abc\x04"}, {turnPrompt + "abc", "\x04"}},
       106,
       "not a number: \"abc\" (Turn time (s)?)"},
      {"an answer typed in full",
       {{namePrompt, name}, {turnPrompt, "abc\n"}},
       106,
       "not a number: \"abc\" (Turn time (s)?)"},
  };
  useShippedThrustFile();
  for (const Case& c : cases) {
    ChildSetup setup = childSetup();
    setup.input = ChildSetup::Input::terminal;
    Child program(setup);
    std::string lastPrompt;
    for (const auto& [shown, typed] : c.keys) {
      ASSERT_TRUE(program.waitForOutput(shown)) << c.what;
      program.send(typed);
      if (shown.back() == ' ') lastPrompt = shown;
    }
    EXPECT_EQ(program.finish(), c.status) << c.what;
    // The terminal ends lines with "\r\n".
    std::vector<std::string> lines;
    std::string screen = program.output;
    for (std::size_t at; (at = screen.find("\r\n")) != std::string::npos;) {
      lines.push_back(screen.substr(0, at));
      screen.erase(0, at + 2);
    }
    ASSERT_GE(lines.size(), 2u) << c.what;
    EXPECT_EQ(lines.back(), "Runtime error " + std::to_string(c.status) + ": " + c.reason)
        << c.what << ":\n"
        << program.output;
    // The line before holds the prompt and what was typed: no line left empty.
    EXPECT_EQ(lines[lines.size() - 2].rfind(lastPrompt, 0), 0u) << c.what << ":\n"
                                                                << program.output;
  }
}

// --- Standard output itself failing ---------------------------------------

using StandardOutput = ProgramTest;

TEST_F(StandardOutput, WhenItFailsTheErrorLineAlsoGoesToStandardError) {
  struct Case {
    const char* what;
    ChildSetup::Output output;
    const char* outputFile;
    int status;
  };
  const Case cases[] = {
      {"closed", ChildSetup::Output::closed, "", 9},
      {"/dev/full", ChildSetup::Output::file, "/dev/full", 28},
      {"a pipe that no one reads", ChildSetup::Output::closedPipe, "", 32},
  };
  useShippedThrustFile();
  for (const Case& c : cases) {
    ChildSetup setup = childSetup();
    setup.output = c.output;
    setup.outputFile = c.outputFile;
    Child program(setup);
    program.send("\n5\n20\n-1\n");
    program.closeInput();
    EXPECT_EQ(program.finish(), c.status) << c.what;
    EXPECT_EQ(program.errors, "Runtime error " + std::to_string(c.status) +
                                  ": cannot write to standard output: " + std::strerror(c.status) +
                                  "\n")
        << c.what;
  }
}

TEST_F(StandardOutput, NonBlockingWithASlowReaderLosesNothing) {
  useShippedThrustFile();
  const std::string answers = "\n5\n20\n5\n20\n5\n20\n-1\n";
  const std::string expected = run(answers).output;
  ASSERT_GT(expected.size(), 150000u);  // more than a pipe holds

  ChildSetup setup = childSetup();
  setup.beforeExec = [] {
    ::fcntl(STDOUT_FILENO, F_SETFL, ::fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
  };
  Child program(setup);
  program.readOutput(false);  // the pipe fills up: writes fail with EAGAIN
  program.send(answers);
  program.closeInput();
  program.runFor(300ms);
  program.readOutput(true);
  EXPECT_EQ(program.finish(), 0);
  EXPECT_EQ(program.output, expected);
  EXPECT_EQ(program.errors, "");
}

// --- Memory ----------------------------------------------------------------------

using OutOfMemory = ProgramTest;

TEST_F(OutOfMemory, ExhaustionIsRuntimeError12FromStartUpOn) {
#if defined(ASCENT_SANITIZED)
  GTEST_SKIP() << "the sanitizers reserve far more address space than these limits";
#endif
  useShippedThrustFile();
  // Address-space limits from too small to load the program up to enough for
  // a mission: once the program has started, every run either completes or
  // ends with run-time error 12.
  int outOfMemory = 0;
  bool started = false, completed = false;
  for (rlim_t limit = rlim_t{1} << 20; limit <= rlim_t{64} << 20 && !completed;
       limit += rlim_t{64} << 10) {
    ChildSetup setup = childSetup();
    setup.beforeExec = [limit] {
      const rlimit addressSpace{limit, limit};
      ::setrlimit(RLIMIT_AS, &addressSpace);
    };
    Child program(setup);
    program.send("report.txt\n5\n20\n-1\n");
    program.closeInput();
    const int status = program.finish();
    // Too small to start: the kernel cannot set up the image (SIGSEGV) or
    // the loader cannot map the libraries (127), before the program's first instruction.
    const bool notStarted = program.output.empty() && (status == 127 || status == 128 + SIGSEGV);
    if (notStarted && !started) continue;
    started = true;
    if (status == 0) {
      completed = true;
      break;
    }
    EXPECT_EQ(status, 12) << "limit " << limit << ": " << program.errors;
    EXPECT_EQ(lastLine(program.output), "Runtime error 12: out of memory") << "limit " << limit;
    ++outOfMemory;
  }
  EXPECT_TRUE(completed);
  EXPECT_GT(outOfMemory, 0);
}

}  // namespace
}  // namespace ascent::testing

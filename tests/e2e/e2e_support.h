// Shared set-up of the end-to-end tests: a temporary working directory with
// the shipped thrust file, and the built program run there on scripted input.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/test_support.h"

namespace ascent::testing {

inline const std::string namePrompt = "Enter output filename (return is standard output): ";
inline const std::string turnPrompt = "Turn time (s)? ";
inline const std::string alphaPrompt = "Maximum angle of attack (degrees)? ";

// A run of the program with arguments: standard output and error apart.
struct CommandRun {
  int status = -1;  // exit status; 124 when it ran out of time
  std::string out;
  std::string err;
};

struct ProgramTest : ::testing::Test {
  TempDir dir;

  void useShippedThrustFile() {
    std::filesystem::copy_file(std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat",
                               dir / "s1.dat");
  }
  ProgramRun run(const std::string& input, const std::string& shellPrefix = "") {
    return runProgram(ASCENT_PROGRAM, dir.path(), input, shellPrefix);
  }
  // The program with command-line `arguments` (shell words) in the test's
  // directory, after `environment` (NAME=value words), `input` on standard
  // input; killed when it runs longer than `timeoutSeconds`.
  CommandRun command(const std::string& arguments, const std::string& environment = "",
                     const std::string& input = "", int timeoutSeconds = 60) {
    writeFile(dir / ".cmd-in", input);
    const std::string line = "cd '" + dir.path().string() + "' && timeout -k 5 " +
                             std::to_string(timeoutSeconds) + " env " + environment + " '" +
                             ASCENT_PROGRAM + "' " + arguments +
                             " < .cmd-in > .cmd-out 2> .cmd-err";
    const int raw = std::system(line.c_str());
    CommandRun result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = file(".cmd-out");
    result.err = file(".cmd-err");
    std::filesystem::remove(dir / ".cmd-in");
    std::filesystem::remove(dir / ".cmd-out");
    std::filesystem::remove(dir / ".cmd-err");
    return result;
  }
  // The program in the test's directory, run under the test's control.
  ChildSetup childSetup() const {
    ChildSetup setup;
    setup.directory = dir.path();
    setup.program = ASCENT_PROGRAM;
    return setup;
  }
  std::string file(const std::string& name) { return readFile(dir / name); }
  bool exists(const std::string& name) { return std::filesystem::exists(dir / name); }
};

}  // namespace ascent::testing

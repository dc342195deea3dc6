// Shared set-up of the end-to-end tests: a temporary working directory with
// the shipped thrust file, and the built program run there on scripted input.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/child_process.h"
#include "support/test_support.h"

namespace ascent::testing {

inline const std::string namePrompt = "Enter output filename (return is standard output): ";
inline const std::string turnPrompt = "Turn time (s)? ";
inline const std::string alphaPrompt = "Maximum angle of attack (degrees)? ";

struct ProgramTest : ::testing::Test {
  TempDir dir;

  void useShippedThrustFile() {
    std::filesystem::copy_file(std::filesystem::path(ASCENT_SHIPPED_DATA_DIR) / "s1.dat",
                               dir / "s1.dat");
  }
  ProgramRun run(const std::string& input, const std::string& shellPrefix = "") {
    return runProgram(ASCENT_PROGRAM, dir.path(), input, shellPrefix);
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

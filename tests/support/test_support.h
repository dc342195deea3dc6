// Helpers shared by the unit and end-to-end tests.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

struct rusage;

namespace ascent::testing {

using namespace std::chrono_literals;

// |actual - expected| <= relTol * |expected|, with a message naming both values.
#define EXPECT_REL_NEAR(actual, expected, relTol)                                              \
  do {                                                                                         \
    const double ascentActual_ = (actual);                                                     \
    const double ascentExpected_ = (expected);                                                 \
    EXPECT_LE(std::fabs(ascentActual_ - ascentExpected_), (relTol)*std::fabs(ascentExpected_)) \
        << #actual " = " << ascentActual_ << ", expected " << ascentExpected_;                 \
  } while (0)

// A fresh directory under the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);
std::vector<std::string> splitLines(const std::string& text);

// Result of running the built program.
struct ProgramRun {
  int status = -1;     // exit status, or 128 + signal
  std::string output;  // everything written to standard output
};

// Runs `program` in `directory` with `input` on standard input. `shellPrefix`
// runs before it in the same shell (for ulimit and the like). A run that
// outlives `limit` is killed and fails the test.
ProgramRun runProgram(const std::string& program, const std::filesystem::path& directory,
                      const std::string& input, const std::string& shellPrefix = "",
                      std::chrono::milliseconds limit = 10s);

// Waits for `pid` at most `limit`; past it, kills the process group that
// `pid` leads (and `pid`) and fails the test. Returns the exit status,
// 128 + signal for a child ended by a signal, or -1 when it had to be killed.
int waitWithLimit(pid_t pid, std::chrono::milliseconds limit, struct rusage* usage = nullptr);

}  // namespace ascent::testing

// A program run under a test's control: its standard streams on pipes, a
// file or a pseudo-terminal, input fed as the test goes (or without end),
// signals sent at chosen moments. Every wait has a time limit: a child that
// outlives it is killed with its whole process group and the test fails, so
// that no test can hang.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "support/test_support.h"

namespace ascent::testing {

struct ChildSetup {
  std::filesystem::path directory;  // the working directory
  std::string program;
  enum class Input { pipe, file, terminal } input = Input::pipe;
  enum class Output { pipe, file, closed, closedPipe } output = Output::pipe;
  std::string inputFile;   // Input::file: opened as standard input
  std::string outputFile;  // Output::file: opened as standard output
  // Output::pipe: when set, the pipe takes only this many bytes of the
  // program's output before the test reads (it is enlarged and filled ahead).
  std::size_t outputRoom = 0;
  // Runs in the child just before exec: limits, ignored signals, flags.
  std::function<void()> beforeExec;
  std::chrono::milliseconds limit = 10s;  // from the start to the end of the run
};

class Child {
 public:
  explicit Child(const ChildSetup& setup);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Queues bytes for standard input (written as the child reads them).
  void send(std::string_view bytes);
  // Keeps standard input full of `pattern`, repeated without end.
  void sendForever(std::string pattern);
  // Ends standard input once everything queued is written.
  void closeInput();
  void signal(int signal);
  // Whether standard output is read (false: a reader that does not keep up).
  void readOutput(bool on) { readOutput_ = on; }

  // Runs until `text` appears on standard output; false at the time limit.
  bool waitForOutput(std::string_view text);
  // Runs for `duration` (or until the child ends).
  void runFor(std::chrono::milliseconds duration);
  // Waits for the end: the exit status, 128 + signal, or -1 past the limit.
  int finish();

  std::string output;  // standard output (and everything on a terminal)
  std::string errors;  // standard error

 private:
  bool pump(std::chrono::milliseconds slice);  // false once the child has ended
  void killGroup();
  pid_t pid_ = -1;
  int input_ = -1, output_ = -1, errors_ = -1;
  bool terminal_ = false;
  bool readOutput_ = true;
  bool closeWhenSent_ = false;
  std::size_t filler_ = 0;  // bytes ahead of the program's output, not kept
  std::string pending_, forever_;
  int status_ = -1;
  bool ended_ = false;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::milliseconds limit_;
};

}  // namespace ascent::testing

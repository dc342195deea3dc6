#include "support/test_support.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace ascent::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ascent-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

ProgramRun runProgram(const std::string& program, const std::filesystem::path& directory,
                      const std::string& input, const std::string& shellPrefix,
                      std::chrono::milliseconds limit) {
  std::filesystem::path inputFile = directory / ".stdin";
  std::filesystem::path outputFile = directory / ".stdout";
  writeFile(inputFile, input);
  std::string command = "cd '" + directory.string() + "' && " + shellPrefix + " '" + program +
                        "' < .stdin > .stdout 2>&1";
  pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);  // the shell and the program, killed together past the limit
    ::signal(SIGPIPE, SIG_DFL);
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ProgramRun run;
  if (pid > 0) run.status = waitWithLimit(pid, limit);
  run.output = readFile(outputFile);
  std::filesystem::remove(inputFile);
  std::filesystem::remove(outputFile);
  return run;
}

int waitWithLimit(pid_t pid, std::chrono::milliseconds limit, struct rusage* usage) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int raw = 0;
  for (;;) {
    pid_t done = ::wait4(pid, &raw, WNOHANG, usage);
    if (done == pid) break;
    if (done < 0) return -1;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(-pid, SIGKILL);
      ::kill(pid, SIGKILL);
      ::wait4(pid, &raw, 0, usage);
      ADD_FAILURE() << "the program still ran after " << limit.count() << " ms and was killed";
      return -1;
    }
    std::this_thread::sleep_for(2ms);
  }
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

}  // namespace ascent::testing

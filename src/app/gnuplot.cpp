#include "app/gnuplot.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "app/commands.h"

extern char** environ;

namespace ascent {

namespace {

// The gnuplot program on the PATH; empty when there is none.
std::string findGnuplot() {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  for (;;) {
    const std::size_t colon = rest.find(':');
    std::string directory(rest.substr(0, colon));
    if (directory.empty()) directory = ".";
    const std::string candidate = directory + "/gnuplot";
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string_view::npos) return "";
    rest.remove_prefix(colon + 1);
  }
}

std::string readAll(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      return text;
    }
  }
}

}  // namespace

std::string gnuplotString(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

void runGnuplot(const std::string& script) {
  const std::string program = findGnuplot();
  if (program.empty()) {
    throw Error(exitStatus::fileError,
                "gnuplot was not found: install the Debian package gnuplot-nox "
                "(apt-get install gnuplot-nox)");
  }
  // The script goes through a temporary file (no pipe to fill while gnuplot
  // writes its messages), the messages come back through one.
  std::error_code noTemporaryDirectory;
  std::filesystem::path temporary = std::filesystem::temp_directory_path(noTemporaryDirectory);
  if (noTemporaryDirectory) temporary = "/tmp";
  std::string scriptName = (temporary / "ascent-plot-XXXXXX").string();
  const int scriptFd = ::mkstemp(scriptName.data());
  if (scriptFd < 0) throw Error(exitStatus::fileError, "cannot create a temporary gnuplot script");
  const bool written =
      ::write(scriptFd, script.data(), script.size()) == static_cast<ssize_t>(script.size());
  ::close(scriptFd);
  if (!written) {
    ::unlink(scriptName.c_str());
    throw Error(exitStatus::fileError, "cannot write a temporary gnuplot script");
  }
  int messages[2];
  if (::pipe(messages) != 0) {
    ::unlink(scriptName.c_str());
    throw Error(exitStatus::fileError, "cannot start gnuplot: no pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, messages[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, messages[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, messages[0]);
  std::vector<char*> arguments = {const_cast<char*>(program.c_str()), scriptName.data(), nullptr};
  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, nullptr, arguments.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(messages[1]);
  std::string output;
  int status = 0;
  if (spawned == 0) {
    output = readAll(messages[0]);
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(messages[0]);
  ::unlink(scriptName.c_str());
  if (spawned != 0) {
    throw Error(exitStatus::fileError, "cannot start " + program + ": " + std::strerror(spawned));
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
    throw Error(exitStatus::fileError, "gnuplot failed" + (output.empty() ? "" : ": " + output));
  }
}

}  // namespace ascent

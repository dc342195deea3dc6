#include "app/gnuplot.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>

#include "app/commands.h"
#include "files/output_set.h"

namespace ascent {

namespace {

// How long gnuplot may take for the charts of one command.
constexpr auto timeLimit = std::chrono::seconds(120);

std::atomic<pid_t> runningGnuplot{0};

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
      return std::filesystem::absolute(candidate).string();
    }
    if (colon == std::string_view::npos) return "";
    rest.remove_prefix(colon + 1);
  }
}

// The private directory and what gnuplot leaves in it, removed in every case.
class GnuplotDirectory {
 public:
  GnuplotDirectory() {
    std::error_code noTemporaryDirectory;
    std::filesystem::path temporary = std::filesystem::temp_directory_path(noTemporaryDirectory);
    if (noTemporaryDirectory) temporary = "/tmp";
    path_ = (temporary / "ascent-plot-XXXXXX").string();
    if (::mkdtemp(path_.data()) == nullptr) {
      throwSystemError(errno, "cannot create a temporary directory for gnuplot in",
                       temporary.string());
    }
    slots_.push_back(rememberTemporary(path_, true));
  }
  ~GnuplotDirectory() {
    for (const std::string& file : files_) ::unlink(file.c_str());
    ::rmdir(path_.c_str());
    for (int slot : slots_) forgetTemporary(slot);
  }
  GnuplotDirectory(const GnuplotDirectory&) = delete;
  GnuplotDirectory& operator=(const GnuplotDirectory&) = delete;

  // A file of the directory, removed with it.
  std::string file(const std::string& name) {
    files_.push_back(path_ + "/" + name);
    slots_.push_back(rememberTemporary(files_.back(), false));
    return files_.back();
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
  std::vector<int> slots_;
};

std::string readBytes(const std::string& name) {
  std::string bytes;
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      bytes.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(fd);
  return bytes;
}

bool writeBytes(const std::string& name, const std::string& bytes) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
  return ::close(fd) == 0 && rest.empty();
}

}  // namespace

void requireGnuplot() {
  if (findGnuplot().empty()) {
    throw Error(EIO,
                "gnuplot was not found: install the Debian package gnuplot-nox "
                "(apt-get install gnuplot-nox)");
  }
}

std::string chartName(std::size_t index) {
  return "chart" + std::to_string(index) + ".png";
}

std::string gnuplotString(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
  }
  return quoted + "'";
}

void endGnuplot() noexcept {
  const pid_t child = runningGnuplot.load();
  if (child > 0) ::kill(child, SIGKILL);
}

std::vector<std::string> runGnuplot(const std::string& script, std::size_t charts) {
  const std::string program = findGnuplot();
  if (program.empty()) requireGnuplot();
  GnuplotDirectory directory;
  const std::string scriptFile = directory.file("plot.gp");
  const std::string messagesFile = directory.file("messages.txt");
  std::vector<std::string> chartFiles;
  for (std::size_t i = 0; i < charts; ++i) chartFiles.push_back(directory.file(chartName(i)));
  if (!writeBytes(scriptFile, script)) {
    throw Error(EIO, "cannot write the gnuplot script in " + directory.path());
  }
  const int messages = ::open(messagesFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (messages < 0) {
    throw Error(EIO, "cannot create a file in " + directory.path());
  }
  // Everything the child needs is built before the fork.
  std::vector<char*> arguments = {const_cast<char*>(program.c_str()), const_cast<char*>("plot.gp"),
                                  nullptr};
  const pid_t child = ::fork();
  if (child == 0) {
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 || ::dup2(messages, STDOUT_FILENO) < 0 ||
        ::dup2(messages, STDERR_FILENO) < 0 || ::chdir(directory.path().c_str()) != 0) {
      ::_exit(127);
    }
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::execv(program.c_str(), arguments.data());
    ::_exit(127);
  }
  const int forkError = errno;
  ::close(messages);
  if (child < 0) {
    throwSystemError(forkError, "cannot start", program);
  }
  runningGnuplot.store(child);
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  int status = 0;
  bool timedOut = false;
  for (;;) {
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(child, SIGKILL);
      while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
      }
      timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  runningGnuplot.store(0);
  if (timedOut) {
    throw Error(EIO, "gnuplot did not finish within " + std::to_string(timeLimit.count()) + " s");
  }
  std::string output = readBytes(messagesFile);
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw Error(EIO, "gnuplot failed" + (output.empty() ? "" : ": " + output));
  }
  std::vector<std::string> pngs;
  for (const std::string& file : chartFiles) {
    std::string png = readBytes(file);
    if (png.size() < 8 || png.compare(0, 8, "\x89PNG\r\n\x1a\n", 8) != 0) {
      throw Error(EIO, "gnuplot wrote no chart" + (output.empty() ? "" : ": " + output));
    }
    pngs.push_back(std::move(png));
  }
  return pngs;
}

}  // namespace ascent

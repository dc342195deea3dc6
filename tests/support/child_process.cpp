#include "support/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace ascent::testing {

namespace {

void setNonBlocking(int fd) {
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

void makePipe(int fds[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2");
}

// Opens `path` onto descriptor `target` in the child.
void openOnto(const std::string& path, int flags, int target) {
  int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) ::_exit(126);
  if (fd != target) {
    ::dup2(fd, target);
    ::close(fd);
  }
}

[[noreturn]] void execProgram(const ChildSetup& setup) {
  ::signal(SIGPIPE, SIG_DFL);  // as a shell would start it; the test ignores SIGPIPE
  if (::chdir(setup.directory.c_str()) != 0) ::_exit(126);
  if (setup.beforeExec) setup.beforeExec();
  ::execl(setup.program.c_str(), setup.program.c_str(), static_cast<char*>(nullptr));
  ::_exit(127);
}

}  // namespace

Child::Child(const ChildSetup& setup)
    : deadline_(std::chrono::steady_clock::now() + setup.limit), limit_(setup.limit) {
  using Input = ChildSetup::Input;
  using Output = ChildSetup::Output;
  // Input written to a child that has ended must fail, not kill the test.
  ::signal(SIGPIPE, SIG_IGN);
  if (setup.input == Input::terminal) {
    // The child leads a new session with the terminal as its controlling
    // one: a Ctrl-C typed here interrupts it as at a keyboard.
    int master = -1;
    pid_ = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid_ < 0) throw std::runtime_error("forkpty");
    if (pid_ == 0) execProgram(setup);
    terminal_ = true;
    input_ = output_ = master;
    setNonBlocking(master);
    return;
  }

  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2] = {-1, -1};
  if (setup.input == Input::pipe) makePipe(in);
  if (setup.output == Output::pipe || setup.output == Output::closedPipe) makePipe(out);
  makePipe(err);
  if (setup.output == Output::pipe && setup.outputRoom > 0) {
    ::fcntl(out[1], F_SETPIPE_SZ, 1 << 20);
    const int capacity = ::fcntl(out[1], F_GETPIPE_SZ);
    if (capacity < 0 || static_cast<std::size_t>(capacity) <= setup.outputRoom) {
      throw std::runtime_error("the output pipe cannot be made large enough");
    }
    filler_ = static_cast<std::size_t>(capacity) - setup.outputRoom;
    const std::string filler(filler_, ' ');
    if (::write(out[1], filler.data(), filler.size()) != static_cast<ssize_t>(filler.size())) {
      throw std::runtime_error("the output pipe cannot be filled");
    }
  }
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::setpgid(0, 0);  // killed as a group past the limit
    if (setup.input == Input::pipe) ::dup2(in[0], STDIN_FILENO);
    if (setup.input == Input::file) openOnto(setup.inputFile, O_RDONLY, STDIN_FILENO);
    switch (setup.output) {
      case Output::pipe:
      case Output::closedPipe:
        ::dup2(out[1], STDOUT_FILENO);
        break;
      case Output::file:
        openOnto(setup.outputFile, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        break;
      case Output::closed:
        ::close(STDOUT_FILENO);
        break;
    }
    ::dup2(err[1], STDERR_FILENO);
    execProgram(setup);
  }
  for (int fd : {in[0], out[1], err[1]}) {
    if (fd >= 0) ::close(fd);
  }
  input_ = in[1];
  output_ = out[0];
  errors_ = err[0];
  if (setup.output == Output::closedPipe) {
    ::close(output_);  // nobody reads: the child's writes fail with EPIPE
    output_ = -1;
  }
  for (int fd : {input_, output_, errors_}) {
    if (fd >= 0) setNonBlocking(fd);
  }
}

Child::~Child() {
  if (!ended_) killGroup();
  if (input_ >= 0 && input_ != output_) ::close(input_);
  if (output_ >= 0) ::close(output_);
  if (errors_ >= 0) ::close(errors_);
}

void Child::send(std::string_view bytes) {
  pending_.append(bytes);
}

void Child::sendForever(std::string pattern) {
  forever_ = std::move(pattern);
}

void Child::closeInput() {
  closeWhenSent_ = true;
  pump(std::chrono::milliseconds(0));
}

void Child::signal(int signal) {
  if (!ended_) ::kill(pid_, signal);
}

void Child::killGroup() {
  ::kill(-pid_, SIGKILL);
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  ended_ = true;
  status_ = -1;
}

bool Child::pump(std::chrono::milliseconds slice) {
  if (ended_) return false;
  auto readFrom = [this](int& fd, std::string& into) {
    char buffer[65536];
    for (;;) {
      ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n > 0) {
        std::size_t skipped = 0;
        if (&into == &output) {
          skipped = std::min(filler_, static_cast<std::size_t>(n));
          filler_ -= skipped;
        }
        into.append(buffer + skipped, static_cast<std::size_t>(n) - skipped);
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
      // The end of a pipe, or EIO once a terminal's last user has gone.
      if (fd != input_) ::close(fd);
      fd = -1;
      return;
    }
  };

  if (input_ >= 0 && pending_.empty() && !forever_.empty()) {
    while (pending_.size() < 65536) pending_ += forever_;
  }
  pollfd fds[3];
  nfds_t count = 0;
  const bool writing = input_ >= 0 && !pending_.empty();
  const bool reading = output_ >= 0 && (readOutput_ || terminal_);
  if (terminal_) {
    fds[count++] = {output_, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
  } else {
    if (writing) fds[count++] = {input_, POLLOUT, 0};
    if (reading) fds[count++] = {output_, POLLIN, 0};
  }
  if (errors_ >= 0) fds[count++] = {errors_, POLLIN, 0};
  ::poll(fds, count, static_cast<int>(slice.count()));

  if (writing) {
    ssize_t n = ::write(input_, pending_.data(), pending_.size());
    if (n > 0) pending_.erase(0, static_cast<std::size_t>(n));
    if (n < 0 && errno == EPIPE) {  // the child has stopped reading for good
      pending_.clear();
      forever_.clear();
    }
  }
  if (closeWhenSent_ && pending_.empty() && input_ >= 0 && !terminal_) {
    ::close(input_);
    input_ = -1;
  }
  if (reading) readFrom(output_, output);
  if (errors_ >= 0) readFrom(errors_, errors);

  int raw = 0;
  if (::waitpid(pid_, &raw, WNOHANG) != pid_) return true;
  ended_ = true;
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
  if (output_ >= 0) readFrom(output_, output);
  if (errors_ >= 0) readFrom(errors_, errors);
  return false;
}

bool Child::waitForOutput(std::string_view text) {
  for (;;) {
    if (output.find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() > deadline_) {
      ADD_FAILURE() << "no \"" << text << "\" on standard output after " << limit_.count()
                    << " ms: killed; the output was:\n"
                    << output;
      killGroup();
      return false;
    }
    if (!pump(10ms)) return output.find(text) != std::string::npos;
  }
}

void Child::runFor(std::chrono::milliseconds duration) {
  const auto end = std::min(std::chrono::steady_clock::now() + duration, deadline_);
  while (std::chrono::steady_clock::now() < end && pump(5ms)) {
  }
}

int Child::finish() {
  while (!ended_) {
    if (std::chrono::steady_clock::now() > deadline_) {
      ADD_FAILURE() << "the program still ran after " << limit_.count() << " ms: killed";
      killGroup();
      return -1;
    }
    pump(10ms);
  }
  return status_;
}

}  // namespace ascent::testing

#include "report/streams.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <vector>

#include "ascent/errors.h"
#include "files/output_set.h"
#include "report/interrupt_flag.h"

namespace ascent {

namespace {

// open(2) of a FIFO waits for the other end: an interrupt ends the wait.
int openInterruptibly(const std::string& name, int flags, mode_t mode = 0) {
  for (;;) {
    checkInterrupt();
    int fd = ::open(name.c_str(), flags | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

// On the way out, waits for a descriptor that is full, at most `timeoutMs`
// (-1: no limit); false at the limit or when an interrupt comes first.
bool writableOnExit(int fd, int timeoutMs) noexcept {
  for (;;) {
    pollfd ready{fd, POLLOUT, 0};
    int n = ::poll(&ready, 1, timeoutMs);
    if (n > 0) return true;
    if (n < 0 && errno == EINTR && pendingInterrupt() == 0) continue;
    return false;
  }
}

// A run that stops for an interrupt waits this long for a reader that has
// stopped reading, and then gives up its output rather than hang.
constexpr int interruptedExitWaitMs = 1000;

}  // namespace

FdOutStream::FdOutStream(int fd, std::string name, bool ownsFd, std::size_t capacity)
    : capacity_(capacity),
      fd_(fd),
      name_(std::move(name)),
      ownsFd_(ownsFd),
      buffer_(new char[capacity]) {}

FdOutStream::~FdOutStream() {
  abandon();
}

void FdOutStream::writeAll(const char* bytes, std::size_t size, std::size_t& written) {
  while (written < size) {
    ssize_t n = ::write(fd_, bytes + written, size - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      // A blocking write cut short was interrupted.
      if (written < size) checkInterrupt();
      continue;
    }
    int err = n < 0 ? errno : EIO;
    if (err == EINTR) {
      checkInterrupt();
    } else if (err == EAGAIN || err == EWOULDBLOCK) {
      awaitDescriptor(fd_, POLLOUT);  // a parent made the descriptor non-blocking
    } else {
      noteFailed();
      throwSystemError(err, "cannot write to", name_);
    }
  }
}

void FdOutStream::write(std::string_view bytes) {
  if (fd_ < 0) throwSystemError(EBADF, "cannot write to", name_);
  noteWritten(bytes);
  if (used_ + bytes.size() > capacity_) {
    flush();
    if (bytes.size() > capacity_) {
      std::size_t written = 0;
      writeAll(bytes.data(), bytes.size(), written);
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void FdOutStream::flush() {
  if (used_ == 0 || fd_ < 0) return;
  std::size_t written = 0;
  try {
    writeAll(buffer_.get(), used_, written);
  } catch (...) {
    // After an interrupt, what did not go out yet stays for the exit path.
    std::size_t left = failed() ? 0 : used_ - written;
    std::memmove(buffer_.get(), buffer_.get() + written, left);
    used_ = left;
    throw;
  }
  used_ = 0;
}

void FdOutStream::close() {
  if (fd_ < 0) return;
  flush();
  // Standard output is not ours to close: it stays open for a last message.
  if (!ownsFd_) return;
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) throwSystemError(errno, "cannot close", name_);
}

void FdOutStream::abandon() noexcept {
  if (fd_ < 0) return;
  // After an interrupt, writes go out in pieces that a pipe with room for
  // them takes without blocking, each after a bounded wait for that room.
  const bool interrupted = pendingInterrupt() != 0;
  std::size_t written = 0;
  while (written < used_ && !failed()) {
    if (interrupted && !writableOnExit(fd_, interruptedExitWaitMs)) {
      noteFailed();
      break;
    }
    const std::size_t piece =
        interrupted ? std::min<std::size_t>(used_ - written, PIPE_BUF) : used_ - written;
    ssize_t n = ::write(fd_, buffer_.get() + written, piece);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    int err = n < 0 ? errno : EIO;
    // Only an interrupt gives up on a write that is blocked.
    if (err == EINTR && pendingInterrupt() == 0) continue;
    if ((err == EAGAIN || err == EWOULDBLOCK) && (interrupted || writableOnExit(fd_, -1))) continue;
    noteFailed();
  }
  used_ = 0;
  // A descriptor that is not ours (standard output) stays usable for the
  // error message that follows.
  if (ownsFd_) {
    ::close(fd_);
    fd_ = -1;
  }
}

void FdOutStream::truncate() {
  if (fd_ < 0) return;
  // A FIFO or a device has nothing to empty, as O_TRUNC would leave it alone.
  struct stat info {};
  if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) return;
  while (::ftruncate(fd_, 0) != 0) {
    if (errno != EINTR) throwSystemError(errno, "cannot empty", name_);
  }
}

FdInStream::FdInStream(int fd, std::string name, bool ownsFd)
    : fd_(fd), name_(std::move(name)), ownsFd_(ownsFd), buffer_(new char[capacity]) {}

FdInStream::~FdInStream() {
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

int FdInStream::refill() {
  if (fd_ < 0) return endOfInput;
  for (;;) {
    // Checks for an interrupt, then waits for input (also on a descriptor a
    // parent made non-blocking) until an interrupt comes.
    awaitDescriptor(fd_, POLLIN);
    ssize_t n = ::read(fd_, buffer_.get(), capacity);
    if (n > 0) {
      next_ = 1;
      end_ = static_cast<std::size_t>(n);
      // A terminal echoes a line typed in full with its line end; Ctrl-D
      // hands over a line without one, and the cursor stays after it.
      if (echo_ != nullptr) echo_->noteEcho(buffer_[end_ - 1] == '\n');
      return static_cast<unsigned char>(buffer_[0]);
    }
    if (n == 0) return endOfInput;
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
    throwSystemError(errno, "cannot read", name_);
  }
}

void FdInStream::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (ownsFd_ && ::close(fd) != 0 && errno != EINTR) throwSystemError(errno, "cannot close", name_);
}

OpenedFile FileSystem::openForWriting(const std::string& name, Lock) {
  return {create(name), false};
}

void FileSystem::remove(const std::string&) {}

bool FileSystem::sameFile(const std::string& first, const std::string& second) {
  return std::filesystem::path(first).lexically_normal() ==
         std::filesystem::path(second).lexically_normal();
}

std::unique_ptr<InStream> RealFileSystem::openRead(const std::string& name) {
  int fd = openInterruptibly(name, O_RDONLY);
  if (fd < 0) throwSystemError(errno, "cannot open", name);
  // open(2) accepts a directory for reading; reading it fails with EISDIR.
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    throwSystemError(EISDIR, "cannot open", name);
  }
  return std::make_unique<FdInStream>(fd, name, true);
}

std::unique_ptr<OutStream> RealFileSystem::create(const std::string& name) {
  int fd = openInterruptibly(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) throwSystemError(errno, "cannot create", name);
  return std::make_unique<FdOutStream>(fd, name, true);
}

OpenedFile RealFileSystem::openForWriting(const std::string& name, Lock lock) {
  OpenedFile opened;
  int fd = openInterruptibly(name, O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (fd >= 0) {
    opened.created = true;
  } else if (errno == EEXIST) {
    fd = openInterruptibly(name, O_WRONLY);
    // A dangling symbolic link: its target is created, and the link is not
    // ours to remove.
    if (fd < 0 && errno == ENOENT) fd = openInterruptibly(name, O_WRONLY | O_CREAT, 0666);
  }
  if (fd < 0) throwSystemError(errno, "cannot create", name);
  opened.stream = std::make_unique<FdOutStream>(fd, name, true);
  if (lock == Lock::exclusive) {
    int result = 0;
    while ((result = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    // A file system without locks (ENOLCK, EOPNOTSUPP) is written unlocked.
    if (result != 0 && errno == EWOULDBLOCK) {
      throw Error(EWOULDBLOCK,
                  "another run is writing the data files of this directory (" + name + ")");
    }
  }
  return opened;
}

void RealFileSystem::remove(const std::string& name) {
  ::unlink(name.c_str());
}

bool RealFileSystem::sameFile(const std::string& first, const std::string& second) {
  return ascent::sameFile(first, second);
}

std::unique_ptr<InStream> MemoryFileSystem::openRead(const std::string& name) {
  auto file = files.find(name);
  if (file == files.end()) throwSystemError(ENOENT, "cannot open", name);
  return std::make_unique<StringInStream>(file->second);
}

std::unique_ptr<OutStream> MemoryFileSystem::create(const std::string& name) {
  std::string& contents = files[name];  // map nodes stay where they are
  contents.clear();
  return std::make_unique<StringOutStream>(contents);
}

OpenedFile MemoryFileSystem::openForWriting(const std::string& name, Lock) {
  bool created = files.count(name) == 0;
  return {std::make_unique<StringOutStream>(files[name]), created};
}

}  // namespace ascent

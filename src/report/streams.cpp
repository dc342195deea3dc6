#include "report/streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "report/interrupt_flag.h"
#include "mission/run_error.h"

namespace ascent {

namespace {

// Writes all bytes, retrying short writes and interrupted calls; returns 0 or errno.
int writeAll(int fd, const char* bytes, std::size_t size) noexcept {
  while (size > 0) {
    ssize_t n = ::write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

FdOutStream::FdOutStream(int fd, std::string name, bool ownsFd)
    : fd_(fd), name_(std::move(name)), ownsFd_(ownsFd), buffer_(new char[capacity]) {}

FdOutStream::~FdOutStream() { abandon(); }

void FdOutStream::write(std::string_view bytes) {
  if (fd_ < 0) throwSystemError(EBADF, "cannot write to", name_);
  noteWritten(bytes);
  if (used_ + bytes.size() > capacity) {
    flush();
    if (bytes.size() > capacity) {
      if (int err = writeAll(fd_, bytes.data(), bytes.size())) {
        throwSystemError(err, "cannot write to", name_);
      }
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
  used_ += bytes.size();
}

void FdOutStream::flush() {
  if (used_ == 0 || fd_ < 0) return;
  std::size_t size = used_;
  used_ = 0;
  if (int err = writeAll(fd_, buffer_.get(), size)) throwSystemError(err, "cannot write to", name_);
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
  if (used_ > 0) (void)writeAll(fd_, buffer_.get(), used_);
  used_ = 0;
  // A descriptor that is not ours (standard output) stays usable for the
  // error message that follows.
  if (ownsFd_) {
    ::close(fd_);
    fd_ = -1;
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
    ssize_t n = ::read(fd_, buffer_.get(), capacity);
    if (n > 0) {
      next_ = 1;
      end_ = static_cast<std::size_t>(n);
      return static_cast<unsigned char>(buffer_[0]);
    }
    if (n == 0) return endOfInput;
    if (errno == EINTR) {
      checkInterrupt();
      continue;
    }
    throwSystemError(errno, "cannot read", name_);
  }
}

void FdInStream::close() {
  if (fd_ < 0) return;
  int fd = fd_;
  fd_ = -1;
  if (ownsFd_ && ::close(fd) != 0 && errno != EINTR) throwSystemError(errno, "cannot close", name_);
}

std::unique_ptr<InStream> RealFileSystem::openRead(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
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
  int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throwSystemError(errno, "cannot create", name);
  return std::make_unique<FdOutStream>(fd, name, true);
}

bool RealFileSystem::sameAsWorkingFile(const std::string& name, const std::string& workingFile) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::path resolved = fs::weakly_canonical(fs::path(name), error);
  if (error) return false;
  fs::path working = fs::weakly_canonical(fs::current_path(error) / workingFile, error);
  if (error) return false;
  return resolved == working;
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

bool MemoryFileSystem::sameAsWorkingFile(const std::string& name, const std::string& workingFile) {
  std::string_view plain(name);
  while (plain.substr(0, 2) == "./") plain.remove_prefix(2);
  return plain == workingFile;
}

}  // namespace ascent

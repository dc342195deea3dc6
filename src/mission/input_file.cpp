#include "mission/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "mission/run_error.h"

namespace ascent {

int openRetrying(const char* name, int flags, mode_t mode) {
  for (;;) {
    const int fd = ::open(name, flags | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

std::string readInputFile(const std::string& name) {
  const int fd = openRetrying(name.c_str(), O_RDONLY);
  if (fd < 0) throwSystemError(errno, "cannot open", name);
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    throwSystemError(EISDIR, "cannot read", name);
  }
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throwSystemError(err, "cannot read", name);
    }
    if (n == 0) break;
    if (text.size() + static_cast<std::size_t>(n) > maxInputBytes) {
      ::close(fd);
      throw Error(EFBIG, "cannot read " + name + ": larger than " +
                             std::to_string(maxInputBytes >> 20) + " MiB");
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace ascent

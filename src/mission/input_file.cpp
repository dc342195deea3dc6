#include "mission/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ascent/errors.h"

namespace ascent {

int openRetrying(const char* name, int flags, mode_t mode) {
  for (;;) {
    const int fd = ::open(name, flags | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EINTR) return fd;
  }
}

std::string fileNameProblem(const std::string& name) {
  return name.empty() ? "the file name is empty" : "";
}

std::string sizeLimitText(std::size_t limit) {
  constexpr std::size_t mebibyte = std::size_t{1} << 20;
  return "larger than " + (limit % mebibyte == 0 ? std::to_string(limit / mebibyte) + " MiB"
                                                 : std::to_string(limit) + " bytes");
}

std::string readInputFile(const std::string& name, std::size_t limit) {
  if (std::string problem = fileNameProblem(name); !problem.empty()) throw InputError({problem});
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
    if (text.size() + static_cast<std::size_t>(n) > limit) {
      ::close(fd);
      throw Error(EFBIG, "cannot read " + name + ": " + sizeLimitText(limit));
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace ascent

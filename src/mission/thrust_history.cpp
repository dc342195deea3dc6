// A thrust history read whole: from a file or from text in memory, or given as records.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "mission/run_error.h"
#include "mission/thrust_records.h"

namespace ascent {

ThrustHistory ThrustHistory::fromText(std::string_view text, std::string name) {
  ThrustHistory history;
  history.name_ = std::move(name);
  StringInStream in{std::string(text)};
  try {
    ThrustRecord record{};
    while (readThrustRecord(in, history.name_, static_cast<int>(history.records_.size()) + 1,
                            record)) {
      history.records_.push_back(record);
    }
  } catch (const Error& error) {
    history.faultCode_ = error.code();
    history.faultReason_ = error.what();
  }
  return history;
}

ThrustHistory ThrustHistory::fromRecords(std::vector<ThrustRecord> records, std::string name) {
  ThrustHistory history;
  history.records_ = std::move(records);
  history.name_ = std::move(name);
  return history;
}

ThrustHistory ThrustHistory::fromFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throwSystemError(errno, "cannot open", path);
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) break;
    if (errno == EINTR) continue;
    const int err = errno;
    ::close(fd);
    throwSystemError(err, "cannot read", path);
  }
  ::close(fd);
  return fromText(text, path);
}

}  // namespace ascent

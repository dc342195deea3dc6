#include "files/standard_output.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ascent {

StandardOutputBuffer::~StandardOutputBuffer() {
  drain();
}

bool StandardOutputBuffer::drain() {
  const char* next = pbase();
  while (error_ == 0 && next < pptr()) {
    const ssize_t n = ::write(STDOUT_FILENO, next, static_cast<std::size_t>(pptr() - next));
    if (n >= 0) {
      next += n;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // A descriptor that a parent made non-blocking is waited for, not failed.
      pollfd ready{STDOUT_FILENO, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (errno != EINTR) {
      error_ = errno;
    }
  }
  setp(buffer_, buffer_ + sizeof buffer_);
  return error_ == 0;
}

StandardOutputBuffer::int_type StandardOutputBuffer::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize StandardOutputBuffer::xsputn(const char* bytes, std::streamsize count) {
  std::streamsize written = 0;
  while (written < count) {
    if (pptr() == epptr() && !drain()) break;
    const std::streamsize room = epptr() - pptr();
    const std::streamsize part = count - written < room ? count - written : room;
    std::memcpy(pptr(), bytes + written, static_cast<std::size_t>(part));
    pbump(static_cast<int>(part));
    written += part;
  }
  return written;
}

int StandardOutputBuffer::sync() {
  return drain() ? 0 : -1;
}

}  // namespace ascent

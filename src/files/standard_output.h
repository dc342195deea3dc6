// Standard output of the commands: a stream buffer on descriptor 1 that keeps
// the operating system's reason for its first failed write, so that the
// failure, found when the stream is next flushed, is reported as what it was
// ("No space left on device"), not as a generic input/output error.
#pragma once

#include <streambuf>

namespace ascent {

class StandardOutputBuffer : public std::streambuf {
 public:
  StandardOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }
  // Writes what is left; a failure then has nobody left to report it to.
  ~StandardOutputBuffer() override;
  StandardOutputBuffer(const StandardOutputBuffer&) = delete;
  StandardOutputBuffer& operator=(const StandardOutputBuffer&) = delete;

  // The errno of the first failed write; 0 while every write succeeded.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* bytes, std::streamsize count) override;
  int sync() override;

 private:
  // Writes the buffer out; false once a write failed.
  bool drain();
  char buffer_[1 << 16];
  int error_ = 0;
};

}  // namespace ascent

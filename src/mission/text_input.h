// Byte input: the answers of the dialogue and the booster thrust file are read
// through this interface, one byte at a time with one byte of push-back. The
// file and terminal implementations live with the output streams; in-memory
// text reads through StringInStream.
#pragma once

#include <string>

namespace ascent {

class InStream {
 public:
  static constexpr int endOfInput = -1;
  virtual ~InStream() = default;
  // The next byte (0..255) or endOfInput; throws Error on a read failure.
  int get() {
    if (pushedBack_ == noPushBack) return next();
    int c = pushedBack_;
    pushedBack_ = noPushBack;
    return c;
  }
  // Gives back the byte just read (one byte of push-back).
  void unget(int c) { pushedBack_ = c; }
  virtual void close() {}

 protected:
  virtual int next() = 0;

 private:
  static constexpr int noPushBack = -2;
  int pushedBack_ = noPushBack;
};

// Reads from a copy of the given bytes.
class StringInStream final : public InStream {
 public:
  explicit StringInStream(std::string bytes) : bytes_(std::move(bytes)) {}

 protected:
  int next() override {
    return next_ < bytes_.size() ? static_cast<unsigned char>(bytes_[next_++]) : endOfInput;
  }

 private:
  std::string bytes_;
  std::size_t next_ = 0;
};

}  // namespace ascent

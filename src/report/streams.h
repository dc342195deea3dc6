// Byte streams of the run. The report is bytes (8-bit special characters are
// written as they are), so these streams do no conversion at all. File streams
// sit directly on POSIX descriptors so that a failed write reports the
// operating system's own error number; in-memory streams let tests and fuzz
// targets run whole dialogues without files.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "mission/text_input.h"

namespace ascent {

class OutStream {
 public:
  virtual ~OutStream() = default;
  virtual void write(std::string_view bytes) = 0;
  void put(char c) { write(std::string_view(&c, 1)); }
  // Makes everything written so far visible; throws RunError on failure.
  virtual void flush() = 0;
  // Flushes and releases the stream; throws RunError on failure.
  virtual void close() = 0;
  // Last-ditch flush and close on the way out after a failure, also from a
  // signal handler: never throws, uses only write(2) and close(2). A stream on
  // a descriptor it does not own is flushed and stays open.
  virtual void abandon() noexcept = 0;
  // True when nothing was written yet or the last byte written ends a line.
  bool atLineStart() const { return atLineStart_; }

 protected:
  void noteWritten(std::string_view bytes) {
    if (!bytes.empty()) atLineStart_ = bytes.back() == '\n';
  }

 private:
  bool atLineStart_ = true;
};

// Buffered output to a file descriptor.
class FdOutStream final : public OutStream {
 public:
  FdOutStream(int fd, std::string name, bool ownsFd);
  ~FdOutStream() override;
  void write(std::string_view bytes) override;
  void flush() override;
  void close() override;
  void abandon() noexcept override;

 private:
  static constexpr std::size_t capacity = 1 << 16;
  int fd_;
  std::string name_;
  bool ownsFd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Buffered input from a file descriptor.
class FdInStream final : public InStream {
 public:
  FdInStream(int fd, std::string name, bool ownsFd);
  ~FdInStream() override;
  void close() override;

 protected:
  int next() override {
    if (next_ < end_) return static_cast<unsigned char>(buffer_[next_++]);
    return refill();
  }

 private:
  int refill();
  static constexpr std::size_t capacity = 1 << 16;
  int fd_;
  std::string name_;
  bool ownsFd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

// Appends to a string owned by the caller.
class StringOutStream final : public OutStream {
 public:
  explicit StringOutStream(std::string& sink) : sink_(sink) {}
  void write(std::string_view bytes) override {
    sink_.append(bytes);
    noteWritten(bytes);
  }
  void flush() override {}
  void close() override {}
  void abandon() noexcept override {}

 private:
  std::string& sink_;
};

// Discards everything (benchmarks measure formatting without I/O).
class NullOutStream final : public OutStream {
 public:
  void write(std::string_view) override {}
  void flush() override {}
  void close() override {}
  void abandon() noexcept override {}
};

// Where named files come from: the real current directory, or memory.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing file for reading; throws RunError when it cannot.
  virtual std::unique_ptr<InStream> openRead(const std::string& name) = 0;
  // Creates (or empties) a file for writing; throws RunError when it cannot.
  virtual std::unique_ptr<OutStream> create(const std::string& name) = 0;
  // True when `name` designates the file `workingFile` of the current directory.
  virtual bool sameAsWorkingFile(const std::string& name, const std::string& workingFile) = 0;
};

class RealFileSystem final : public FileSystem {
 public:
  std::unique_ptr<InStream> openRead(const std::string& name) override;
  std::unique_ptr<OutStream> create(const std::string& name) override;
  bool sameAsWorkingFile(const std::string& name, const std::string& workingFile) override;
};

// Files held in memory, by name (tests and fuzz targets).
class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::unique_ptr<InStream> openRead(const std::string& name) override;
  std::unique_ptr<OutStream> create(const std::string& name) override;
  bool sameAsWorkingFile(const std::string& name, const std::string& workingFile) override;
};

}  // namespace ascent

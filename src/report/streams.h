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
  // Makes everything written so far visible; throws Error on failure.
  virtual void flush() = 0;
  // Flushes and releases the stream; throws Error on failure.
  virtual void close() = 0;
  // Last-ditch flush and close on the way out after a failure, also from a
  // signal handler: never throws, uses only poll(2), write(2) and close(2). A
  // stream on a descriptor it does not own is flushed and stays open. A
  // stream that has failed writes no more; after an interrupt, output that
  // no one takes for a second is given up.
  virtual void abandon() noexcept = 0;
  // Empties a file opened without emptying it (FileSystem::openForWriting).
  virtual void truncate() {}
  // True when nothing was written yet or the last byte written ends a line;
  // on a terminal, also after the echo of input that ended a line.
  bool atLineStart() const { return atLineStart_; }
  // A terminal echoed input here: its cursor is now at a line start or not.
  void noteEcho(bool endedLine) { atLineStart_ = endedLine; }
  // True once a write to the stream has failed.
  bool failed() const { return failed_; }

 protected:
  void noteWritten(std::string_view bytes) {
    if (!bytes.empty()) atLineStart_ = bytes.back() == '\n';
  }
  void noteFailed() { failed_ = true; }

 private:
  bool atLineStart_ = true;
  bool failed_ = false;
};

// Buffered output to a file descriptor. A descriptor that a parent made
// non-blocking is waited for when full; an interrupt ends a blocked write.
class FdOutStream final : public OutStream {
 public:
  static constexpr std::size_t defaultCapacity = 1 << 16;
  FdOutStream(int fd, std::string name, bool ownsFd, std::size_t capacity = defaultCapacity);
  ~FdOutStream() override;
  void write(std::string_view bytes) override;
  void flush() override;
  void close() override;
  void abandon() noexcept override;
  void truncate() override;

 private:
  // Writes bytes[0, size), counting in `written` what went out; throws.
  void writeAll(const char* bytes, std::size_t size, std::size_t& written);
  std::size_t capacity_;
  int fd_;
  std::string name_;
  bool ownsFd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

// Buffered input from a file descriptor. Every refill first checks for an
// interrupt, so that no input, however long, keeps an interrupt waiting.
class FdInStream final : public InStream {
 public:
  FdInStream(int fd, std::string name, bool ownsFd);
  ~FdInStream() override;
  void close() override;
  // The descriptor is a terminal that echoes what is typed on `terminal`.
  void echoesOn(OutStream& terminal) { echo_ = &terminal; }

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
  OutStream* echo_ = nullptr;
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
  void truncate() override { sink_.clear(); }

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

// A file opened for writing without emptying it.
struct OpenedFile {
  std::unique_ptr<OutStream> stream;
  bool created = false;  // the file did not exist before
};

// Where named files come from: the real current directory, or memory.
class FileSystem {
 public:
  enum class Lock { none, exclusive };
  virtual ~FileSystem() = default;
  // Opens an existing file for reading; throws Error when it cannot.
  virtual std::unique_ptr<InStream> openRead(const std::string& name) = 0;
  // Creates (or empties) a file for writing; throws Error when it cannot.
  virtual std::unique_ptr<OutStream> create(const std::string& name) = 0;
  // Opens a file for writing, creating it when missing but not emptying it
  // (OutStream::truncate does). Lock::exclusive also takes an advisory lock
  // on it, held until the stream is closed; another process holding one is
  // Error EWOULDBLOCK. Without real files: create, no lock.
  virtual OpenedFile openForWriting(const std::string& name, Lock lock);
  // Removes a file that openForWriting created; failures are ignored.
  virtual void remove(const std::string& name);
  // True when the two names designate one file. Without real files: the same
  // name once lexically normalised ("./a" and "b/../a" are "a").
  virtual bool sameFile(const std::string& first, const std::string& second);
};

// The files of the real current directory; two names are one file by the
// commands' rule (sameFile of files/output_set.h).
class RealFileSystem final : public FileSystem {
 public:
  std::unique_ptr<InStream> openRead(const std::string& name) override;
  std::unique_ptr<OutStream> create(const std::string& name) override;
  OpenedFile openForWriting(const std::string& name, Lock lock) override;
  void remove(const std::string& name) override;
  bool sameFile(const std::string& first, const std::string& second) override;
};

// Files held in memory, by name (tests and fuzz targets).
class MemoryFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::unique_ptr<InStream> openRead(const std::string& name) override;
  std::unique_ptr<OutStream> create(const std::string& name) override;
  OpenedFile openForWriting(const std::string& name, Lock lock) override;
  void remove(const std::string& name) override { files.erase(name); }
};

}  // namespace ascent

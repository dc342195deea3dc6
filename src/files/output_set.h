// The files of a command, inputs and outputs, handled by one discipline:
//  - every output is compared, as a file, with every input and every other
//    output (the path after links, also for names that do not exist yet;
//    device and inode; standard output when it is redirected onto a file),
//    before any work is done: the commands' outputs and the dialogue's
//    report and data files alike;
//  - an output is written to a temporary file in its own directory, created
//    before any work is done, and renamed into place when complete, so a
//    failed, interrupted or concurrent run leaves the old file or the new
//    one, never a mix or a cut;
//  - an input is read whole, up to a size limit (readInputFile).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mission/input_file.h"

namespace ascent {

// The file that opening `name` would reach: an absolute path with every
// symbolic link followed, the last one too even when its target does not
// exist yet.
std::string resolvedPath(const std::string& name);

// True when opening the two names would reach one file: the same
// resolvedPath, or the same device and inode (hard links). The one rule of
// what is the same file, for the commands and the dialogue.
bool sameFile(const std::string& first, const std::string& second);

class OutputSet {
 public:
  // Whether two names are one file; sameFile for the real files.
  using SameFile = std::function<bool(const std::string&, const std::string&)>;
  OutputSet() = default;
  explicit OutputSet(SameFile sameFile) : sameFile_(std::move(sameFile)) {}

  // `role` is how a refusal names the file: "the thrust file", "the CSV file".
  void input(const std::string& name, const std::string& role);
  void output(const std::string& name, const std::string& role);
  // Standard output, compared when it is redirected onto a file.
  void standardOutput();

  // Two entries that are one file, by their places in the order they were
  // added: an output and an input, or an output and a later output.
  struct Clash {
    std::size_t output;
    std::size_t other;
  };
  // The first clash, each output in turn compared with every input, then
  // with every later output; none when every output is a file of its own.
  std::optional<Clash> firstClash() const;
  // The name and the role of the entry at `place`.
  const std::string& name(std::size_t place) const { return entries_.at(place).name; }
  const std::string& role(std::size_t place) const { return entries_.at(place).role; }
  // The first clash in words, "the CSV file x.csv is the thrust file s1.dat";
  // empty when there is none.
  std::string clash() const;

 private:
  struct Entry {
    std::string name;
    std::string resolved;  // resolvedPath(name), found once
    std::string role;
    bool output = false;
    bool standardOutput = false;
  };
  bool same(const Entry& a, const Entry& b) const;
  SameFile sameFile_;  // empty: sameFile, with the resolved paths found once
  std::vector<Entry> entries_;
};

// An output file written through a temporary file in its directory. The
// temporary file is created by the constructor (so an output that cannot be
// created is found before any work), removed by the destructor unless
// commit() renamed it into place, and removed by removeTemporaryFiles() when
// a signal ends the program. A name that exists and is not a regular file
// (a device, a FIFO) is written directly.
class OutputFile {
 public:
  explicit OutputFile(const std::string& name);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& name() const { return name_; }
  // Before commit(): written straight into an existing file that is not a
  // regular one (a FIFO, a device) rather than through a temporary file.
  bool writtenInPlace() const { return temporary_.empty(); }
  // Throws Error "cannot write NAME" with the operating system's reason.
  void write(std::string_view bytes);
  // Flushes, closes and renames the temporary file into place; throws Error.
  void commit();

 private:
  void discard() noexcept;
  std::string name_;       // as given
  std::string target_;     // the file replaced: the name after its links
  std::string temporary_;  // empty: written directly
  int fd_ = -1;
  int slot_ = -1;  // in the registry of temporary files
};

// Remembers a temporary file or directory (a directory is removed after the
// files) for removeTemporaryFiles(); returns its slot, -1 when full.
int rememberTemporary(const std::string& path, bool directory);
void forgetTemporary(int slot) noexcept;
// Removes every remembered temporary; async-signal-safe.
void removeTemporaryFiles() noexcept;

}  // namespace ascent

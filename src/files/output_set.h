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
//  - a name the user typed is written through its links; a fixed name that
//    the program puts into a folder (a chart) replaces whatever is there, so
//    a link planted under it leads nowhere;
//  - an input is read whole, up to a size limit (mission/input_file.h).
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/writers.h"
#include "mission/input_file.h"

namespace ascent {

// The file that opening `name` would reach: an absolute path with every
// symbolic link followed, the last one too even when its target does not
// exist yet.
std::string resolvedPath(const std::string& name);

// Where a file replacing `name` lands: its folder resolved as resolvedPath
// does, the last component as it is.
std::string replacedPath(const std::string& name);

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
  // An output replacing its name (Placement::replacingName) is one file with
  // an entry whose path, or whose own name, is that name: replacing a link
  // leaves the file it leads to alone.
  void output(const std::string& name, const std::string& role,
              Placement placement = Placement::throughLinks);
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
    std::string replaced;  // replacedPath(name)
    std::string role;
    bool output = false;
    bool standardOutput = false;
    bool replacesName = false;
  };
  bool same(const Entry& a, const Entry& b) const;
  SameFile sameFile_;  // empty: sameFile, with the resolved paths found once
  std::vector<Entry> entries_;
};

// Files of fixed names in a folder the user named (charts): the folder and
// every file are created (the files as temporaries) by the constructor,
// before any work; the folders it had to create are removed again unless
// commit() put the files into place.
class OutputFolder {
 public:
  // Throws Error "cannot create the directory DIR" or the OutputFile's error.
  OutputFolder(const std::string& directory, std::span<const char* const> names);
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  std::size_t size() const { return files_.size(); }
  OutputFile& file(std::size_t index) { return *files_.at(index); }
  // Renames every file into place, in order.
  void commit();

 private:
  // Removes the temporary files, then the folders made here (when empty).
  void discard() noexcept;
  std::vector<std::unique_ptr<OutputFile>> files_;
  std::vector<std::string> created_;  // folders made here, the outermost first
  std::vector<int> slots_;
};

// DIR/NAME, as the folder's files are named.
std::string folderFile(const std::string& directory, std::string_view name);

// Remembers a temporary file or directory (a directory is removed after the
// files) for removeTemporaryFiles(); returns its slot, -1 when full.
int rememberTemporary(const std::string& path, bool directory);
void forgetTemporary(int slot) noexcept;
// Removes every remembered temporary; async-signal-safe.
void removeTemporaryFiles() noexcept;

}  // namespace ascent

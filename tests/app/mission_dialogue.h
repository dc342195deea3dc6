// The dialogue in memory on thrust files of the tests' own making: each
// mission opens the next of them as s1.dat, and the report's lines are read
// back as rows, events and the summary's numbers.
#pragma once

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/run.h"
#include "mission/mission_test_support.h"
#include "support/test_support.h"

namespace ascent::testing {

// Files in memory; each mission opens the next of `thrustFiles` as "s1.dat"
// (the last one again when they run out).
class MissionFiles final : public FileSystem {
 public:
  std::vector<std::string> thrustFiles;
  MemoryFileSystem memory;
  std::unique_ptr<InStream> openRead(const std::string& name) override {
    if (name != "s1.dat" || thrustFiles.empty()) return memory.openRead(name);
    const std::size_t next = std::min(opened_++, thrustFiles.size() - 1);
    return std::make_unique<StringInStream>(thrustFiles[next]);
  }
  std::unique_ptr<OutStream> create(const std::string& name) override {
    return memory.create(name);
  }

 private:
  std::size_t opened_ = 0;
};

struct Dialogue {
  MissionFiles files;
  std::string screen;
  int status = -1;
  std::vector<std::string> lines;  // of report.txt

  explicit Dialogue(std::vector<std::string> thrust) { files.thrustFiles = std::move(thrust); }

  Dialogue& run(const std::string& answers) {
    StringInStream input("report.txt\n" + answers);
    StringOutStream output(screen);
    status = runProgram(input, output, files, RunOptions{});
    lines = splitLines(files.memory.files["report.txt"]);
    return *this;
  }

  // Index of the first line at or after `from` that starts with `prefix`.
  std::size_t find(const std::string& prefix, std::size_t from = 0) const {
    for (std::size_t i = from; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) == 0) return i;
    }
    throw std::out_of_range("no line starts with \"" + prefix + "\" after line " +
                            std::to_string(from + 1));
  }
  std::size_t count(const std::string& prefix) const {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
  std::vector<Row> rows(std::size_t from, std::size_t to) const {
    std::vector<Row> result;
    for (std::size_t i = from; i < std::min(to, lines.size()); ++i) {
      if (isRow(lines[i])) result.push_back(parseRow(lines[i]));
    }
    return result;
  }
  std::vector<double> numbers(std::size_t line) const { return testing::numbersIn(lines[line]); }
  Row rowBefore(std::size_t index) const {
    while (index > 0 && !isRow(lines[--index])) {
    }
    return parseRow(lines[index]);
  }
};

inline const std::string ownCurve = thrustFile(thrustCurve());
constexpr double timeTolerance = 0.011;  // two times printed with two decimals

}  // namespace ascent::testing

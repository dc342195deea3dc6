#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ascent::testing {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ascent-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

ProgramRun runProgram(const std::string& program, const std::filesystem::path& directory,
                      const std::string& input, const std::string& shellPrefix) {
  std::filesystem::path inputFile = directory / ".stdin";
  std::filesystem::path outputFile = directory / ".stdout";
  writeFile(inputFile, input);
  std::string command = "cd '" + directory.string() + "' && " + shellPrefix + " '" + program +
                        "' < .stdin > .stdout 2>&1";
  int raw = std::system(command.c_str());
  ProgramRun run;
  if (raw != -1 && WIFEXITED(raw)) run.status = WEXITSTATUS(raw);
  run.output = readFile(outputFile);
  std::filesystem::remove(inputFile);
  std::filesystem::remove(outputFile);
  return run;
}

}  // namespace ascent::testing

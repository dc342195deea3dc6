#include "app/thrust_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <ostream>

#include "app/command_safety.h"
#include "files/output_set.h"

// The shared copy relative to the program's folder; CMake sets it from the
// install layout (bin/ and share/ under one prefix).
#ifndef ASCENT_SHARED_THRUST_FILE
#define ASCENT_SHARED_THRUST_FILE "../share/ascent/s1.dat"
#endif

namespace ascent {

namespace {

// Nothing at all has the name: a file that exists but cannot be read, a
// dangling link or a folder named s1.dat is the user's and fails as such.
bool nothingNamed(const std::string& name) {
  struct stat info {};
  return ::lstat(name.c_str(), &info) != 0 && errno == ENOENT;
}

bool regularFile(const std::string& name) {
  struct stat info {};
  return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The program's own path, links followed; empty where the system does not say.
std::string programPath() {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

}  // namespace

void addThrust(CLI::App* app, ThrustOption& option) {
  namesFile(app->add_option("--thrust", option.file,
                            "booster thrust history, read once (no s1.dat here: the copy "
                            "installed with ascent)"))
      ->type_name("FILE")
      ->capture_default_str()
      ->each([&option](const std::string&) { option.given = true; });
}

std::string sharedThrustFile(const std::string& program) {
  return (std::filesystem::path(program).parent_path() / ASCENT_SHARED_THRUST_FILE)
      .lexically_normal()
      .string();
}

ThrustOption chooseThrustFile(const ThrustOption& option, std::ostream& err) {
  if (option.given || !nothingNamed(option.file)) return option;
  const std::string program = programPath();
  if (program.empty()) return option;
  const std::string shared = sharedThrustFile(program);
  if (!regularFile(shared)) return option;
  err << "Thrust: " << shared << " (no " << option.file << " here)\n";
  return ThrustOption{shared, false};
}

ThrustHistory readThrustFile(const ThrustOption& option) {
  std::string text;
  try {
    text = readInputFile(option.file);
  } catch (const Error& error) {
    if (option.given) throw;
    throw Error(error.code(),
                std::string(error.what()) + " (give the thrust file with --thrust FILE)");
  }
  return ThrustHistory::fromText(text, option.file);
}

}  // namespace ascent

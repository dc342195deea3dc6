// Where a command finds its booster thrust file. A newcomer who runs a
// command from a folder of their own has no s1.dat there: the copy installed
// with the program is flown instead, and standard error says so, rather than
// the command stopping at its first step.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

#include "ascent/ascent.h"
#include "mission/thrust_records.h"

namespace ascent {

// A command's --thrust option.
struct ThrustOption {
  std::string file = boosterThrustFileName;  // FILE of --thrust FILE; s1.dat without it
  bool given = false;                        // --thrust was given
};

// --thrust FILE of a command.
void addThrust(CLI::App* app, ThrustOption& option);

// The copy of s1.dat installed with the program at `program` (an absolute
// path): share/ascent/s1.dat next to the program's bin/, as `cmake --install`
// lays them out and as the build tree holds them.
std::string sharedThrustFile(const std::string& program);

// The thrust file a command flies: FILE of --thrust FILE; without the option
// s1.dat of the working directory, or, when nothing there has that name, the
// shared copy (sharedThrustFile of this program) if it exists, named on `err`
// as "Thrust: FILE (no s1.dat here)". The result is still not `given`.
ThrustOption chooseThrustFile(const ThrustOption& option, std::ostream& err);

// The thrust file read whole (at most maxInputBytes); throws Error, which
// names --thrust when the file was not given with it.
ThrustHistory readThrustFile(const ThrustOption& option);

}  // namespace ascent

// The rules every design command follows: options inside their domains,
// inputs read whole up to a size limit and checked before any mission,
// outputs that are files of their own, signals that leave no temporary file
// and no gnuplot behind, and standard output whose failed write is an error.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "files/output_set.h"

namespace ascent {

// A value or a combination of files the command refuses: status 2.
// Not an Error: an Error's code is a run-time error number, never a status.
struct UsageError : std::runtime_error {
  explicit UsageError(const std::string& reason) : std::runtime_error(reason) {}
};

// A number option read exactly as the dialogue reads an answer (correctly
// rounded, no "nan", "inf" or hexadecimal), so a limit typed here and there
// flies the same mission.
CLI::Option* addReal(CLI::App* app, const std::string& name, double& target,
                     const std::string& description);

// A number option inside [lowest, highest] (`unit` for the message); with
// `lowestIncluded` false, inside (lowest, highest].
CLI::Validator realDomain(double lowest, double highest, const std::string& unit,
                          bool lowestIncluded = true);
// A decimal integer inside [lowest, highest]: no sign, exponent or base prefix.
CLI::Validator decimalInteger(long lowest, long highest);
// Reads `text` as a decimal integer in [lowest, highest]; false when it is not.
bool parseDecimal(const std::string& text, unsigned long lowest, unsigned long highest,
                  unsigned long& value);

// The domains of the design commands' numbers.
namespace domain {
constexpr double lowestTurnTime_s = ascent::lowestTurnTime_s;
constexpr double highestTurnTime_s = ascent::highestTurnTime_s;
constexpr double lowestLimitDeg = 0, highestLimitDeg = 90;
constexpr double lowestAltitude_km = 1, highestAltitude_km = 100000;
constexpr double toleranceAbove_km = 0, highestTolerance_km = 1000;
constexpr double lowestPerigee_km = 0, highestPerigee_km = 100000;
constexpr long highestMissions = 100000;
constexpr long highestJobs = 1024;
constexpr unsigned long highestSweepTurnTimes = 1000000;
}  // namespace domain

// The options every command that flies shares, spelt and checked alike.
void addThrust(CLI::App* app, std::string& file);
void addVehicle(CLI::App* app, std::string& file,
                const std::string& description =
                    "vehicle file (TOML; `ascent vehicle` prints the default one)");
void addJobs(CLI::App* app, unsigned& jobs);

// The line a long command rewrites on standard error as its work is done.
// Only a terminal shows it: a file or a pipe would keep every rewrite.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  bool shown() const { return shown_; }
  // Replaces the line with `text`.
  void show(std::string_view text);
  // Leaves the line empty for what the command writes next.
  void clear();

 private:
  std::ostream& err_;
  bool shown_;
};

// From now on SIGINT, SIGTERM and SIGHUP end gnuplot, remove every temporary
// file and directory, and then end the program as the signal would; a failed
// allocation is reported on standard error.
void installCommandSignalHandlers();

// The thrust file read whole (at most maxInputBytes); throws Error.
ThrustHistory readThrustFile(const std::string& name);

// The first clash of the set, refused as UsageError.
void refuseClashes(const OutputSet& outputs);

// The thrust file flown through the booster phase at `turnTime_s` before a
// study: a fault of the file is Error (status 3) naming the file, the record
// and the reason; a record interval longer than the flight assumes is a
// warning on `err`, as the dialogue writes it.
void checkThrustFile(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                     std::ostream& err);

// Writes and flushes `text` to standard output `out`; throws Error when the
// write fails.
void writeOut(std::ostream& out, std::string_view text);

// Flushes standard output; throws Error "cannot write standard output".
void flushOut(std::ostream& out);

}  // namespace ascent

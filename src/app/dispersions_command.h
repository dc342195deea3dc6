// ascent dispersions: a campaign of runs with the vehicle's values drawn
// from a dispersion file, one CSV row per run, a summary; and the merge of a
// campaign's shards.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace ascent {

struct DispersionsCommand {
  std::vector<std::string> files;  // the dispersion file; with --merge the shards
  std::string runs;                // N or A:B
  std::uint64_t firstRun = 0;      // the runs, A to B-1 (0 to N-1), from `runs`
  std::uint64_t endRun = 0;
  std::uint64_t seed = 0;
  double turnTime_s = 0;
  double limitDeg = 0;
  bool limitGiven = false;  // false: targeted on the nominal vehicle
  bool retarget = false;
  std::string vehicleFile;
  std::string thrustFile = "s1.dat";
  std::string csvFile;  // empty: the rows on standard output (unless --json)
  bool json = false;
  unsigned jobs = 0;
  bool resume = false;
  std::string plotDirectory;
  std::string mergeFile;  // --merge OUT.csv
};

// Adds the subcommand to the command line; parsed() says whether it was
// given, run() runs it and returns the exit status.
class DispersionsCli {
 public:
  explicit DispersionsCli(CLI::App& app);
  bool parsed() const { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const;

 private:
  DispersionsCommand command_;
  CLI::App* app_;
};

int runDispersionsCommand(const DispersionsCommand& command, std::ostream& out, std::ostream& err);

}  // namespace ascent

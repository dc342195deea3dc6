// ascent sensitivity: which dispersion causes how much of the spread of a
// campaign's outputs (Sobol indices from a Saltelli design flown as
// campaign runs); the merge of its shards; and, from a campaign already
// flown (--given), the rank correlation of each key with each output.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/command_cli.h"
#include "app/thrust_file.h"
#include "ascent/sensitivity.h"

namespace ascent {

struct SensitivityCommand {
  std::vector<std::string> files;  // the dispersion file; with --merge the shards
  SensitivitySettings settings;
  std::string shard;  // I/K, read into the settings
  unsigned jobs = 0;  // 0: the machine's cores
  std::string vehicleFile;
  ThrustOption thrust;
  std::string csvFile;      // the runs; empty: none
  std::string indicesFile;  // the indices (or rank correlations) as CSV; empty: none
  bool json = false;
  bool resume = false;
  std::string plotDirectory;
  std::string mergeFile;   // --merge OUT.csv
  std::string givenFile;   // --given CAMPAIGN.csv
  std::string reportFile;  // --report FILE.html: the review page
  std::string output;      // --output: one output's table and chart; empty: all
  std::string guidance, know;
};

class SensitivityCli final : public CommandCli {
 public:
  explicit SensitivityCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override;

 private:
  void addDesignOptions();
  void addOutputOptions();
  void readOptions();
  void readMergeOrGiven();
  SensitivityCommand command_;
  CLI::App* app_;
  CLI::Option *rows_ = nullptr, *seed_ = nullptr, *turnTime_ = nullptr, *limit_ = nullptr;
  CLI::Option *retarget_ = nullptr, *resamples_ = nullptr;
  bool retargetFlag_ = false;
};

int runSensitivityCommand(const SensitivityCommand& command, std::ostream& out, std::ostream& err);
int runSensitivityMerge(const SensitivityCommand& command, std::ostream& out, std::ostream& err);
int runRankCorrelations(const SensitivityCommand& command, std::ostream& out, std::ostream& err);

}  // namespace ascent

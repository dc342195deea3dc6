// The design commands on the command line: sweep (every turn time of a
// range targeted), optimize (the turn time of the heaviest spacecraft),
// trade (what each unit of the vehicle is worth in spacecraft mass) and
// performance (the heaviest spacecraft against the orbit's altitude). Each
// reads its options into the study's settings, calls the study and writes
// its result.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>

#include "app/command_cli.h"
#include "app/thrust_file.h"
#include "ascent/performance.h"
#include "ascent/sweep.h"
#include "ascent/trade.h"

namespace ascent {

struct SweepCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  SweepSettings settings;
  unsigned jobs = 0;     // 0: the machine's cores
  std::string csvFile;   // empty: standard output
  std::string plotFile;  // empty: none
};
int runSweepCommand(const SweepCommand& command, std::ostream& out, std::ostream& err);

struct OptimizeCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  OptimizeSettings settings;
  bool json = false;
  unsigned jobs = 0;  // 0: the machine's cores
};
int runOptimizeCommand(const OptimizeCommand& command, std::ostream& out, std::ostream& err);

struct TradeCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  TradeSettings settings;
  std::string csvFile, plotFile;
  bool json = false;
  unsigned jobs = 0;  // 0: the machine's cores
};
int runTradeCommand(const TradeCommand& command, std::ostream& out, std::ostream& err);

struct PerformanceCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  PerformanceSettings settings;
  std::string csvFile, plotFile;
  bool json = false;
  unsigned jobs = 0;  // 0: the machine's cores
};
int runPerformanceCommand(const PerformanceCommand& command, std::ostream& out, std::ostream& err);

// Each adds its subcommand to the command line; parsed() says whether it was
// given, run() runs it and returns the exit status.
class SweepCli final : public CommandCli {
 public:
  explicit SweepCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override {
    return runSweepCommand(command_, out, err);
  }

 private:
  SweepCommand command_;
  std::string range_, shard_;
  CLI::App* app_;
};

class OptimizeCli final : public CommandCli {
 public:
  explicit OptimizeCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override {
    return runOptimizeCommand(command_, out, err);
  }

 private:
  OptimizeCommand command_;
  std::string range_ = "5:120";
  CLI::App* app_;
};

class TradeCli final : public CommandCli {
 public:
  explicit TradeCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override {
    return runTradeCommand(command_, out, err);
  }

 private:
  TradeCommand command_;
  std::string keys_;
  CLI::App* app_;
};

class PerformanceCli final : public CommandCli {
 public:
  explicit PerformanceCli(CLI::App& app);
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override {
    return runPerformanceCommand(command_, out, err);
  }

 private:
  PerformanceCommand command_;
  std::string altitudes_, range_ = "5:120";
  CLI::App* app_;
};

}  // namespace ascent

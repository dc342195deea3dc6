// ascent optimize (the turn time of the heaviest spacecraft) and ascent trade
// (what each unit of the vehicle is worth in spacecraft mass).
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <string>
#include <vector>

#include "ascent/trade.h"

namespace ascent {

struct OptimizeCommand {
  std::string thrustFile = "s1.dat";
  std::string vehicleFile;
  OptimizeSettings settings;  // the turn times searched: --turn-time FROM:TO
  bool json = false;
  unsigned jobs = 0;
};
int runOptimizeCommand(const OptimizeCommand& command, std::ostream& out, std::ostream& err);

struct TradeCommand {
  std::string thrustFile = "s1.dat";
  std::string vehicleFile;
  bool fixedTurnTime = false;  // --turn-time given
  TradeSettings settings;
  std::vector<std::string> keys;  // empty: every key
  std::string csvFile, plotFile;
  bool json = false;
  unsigned jobs = 0;
};
int runTradeCommand(const TradeCommand& command, std::ostream& out, std::ostream& err);

// Both subcommands on the command line: added in the constructor, run by run()
// when one of them was given.
class TradeCommands {
 public:
  explicit TradeCommands(CLI::App& app);
  bool parsed() const { return optimizeApp_->parsed() || tradeApp_->parsed(); }
  int run(std::ostream& out, std::ostream& err);

 private:
  OptimizeCommand optimize_;
  TradeCommand trade_;
  std::string range_ = "5:120", keys_;
  CLI::App* optimizeApp_;
  CLI::App* tradeApp_;
};

}  // namespace ascent

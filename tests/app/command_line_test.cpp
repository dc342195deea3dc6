// The rules the commands share: an unknown name answered with the nearest
// known one, one table of exit statuses, signals handled for a scope.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <set>
#include <sstream>

#include "app/cli.h"
#include "app/exit_status.h"
#include "app/signal_scope.h"
#include "ascent/text.h"
#include "ascent/vehicle.h"
#include "report/interrupt_flag.h"
#include "support/test_support.h"

namespace ascent {
namespace {

TEST(CommandLine, AWordNobodyTookIsAnsweredWithTheNearestCommandOptionOrKey) {
  const struct {
    std::vector<const char*> arguments;
    std::string reason;
  } cases[] = {
      {{"fyl"}, "unknown command 'fyl' (did you mean 'fly'?)"},
      {{"tagret"}, "unknown command 'tagret' (did you mean 'target'?)"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"--vehicel", "v.toml"}, "unknown option '--vehicel' (did you mean '--vehicle'?)"},
      {{"fly", "--limt", "24"}, "unknown option '--limt' (did you mean '--limit'?)"},
      {{"fly", "--limt=24"}, "unknown option '--limt=24' (did you mean '--limit'?)"},
      {{"fly", "--tolerance", "1"}, "unknown option '--tolerance'"},  // target's, not fly's
      {{"fly", "extra"}, "unexpected argument 'extra'"},
      {{"-x"}, "unknown option '-x'"},
  };
  for (const auto& c : cases) {
    CLI::App app;
    std::string text;
    app.require_subcommand(0, 1);
    app.add_option("--vehicle", text);
    CLI::App* fly = app.add_subcommand("fly");
    fly->add_option("--limit", text);
    fly->add_option("--turn-time", text);
    app.add_subcommand("target")->add_option("--tolerance", text);
    std::vector<const char*> argv{"ascent"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    EXPECT_THROW(app.parse(static_cast<int>(argv.size()), argv.data()), CLI::ParseError);
    EXPECT_EQ(unknownArgumentReason(app), c.reason);
  }
  for (const auto& [key, hint] : {std::pair{"core.thrust", " (did you mean 'core.thrust_N'?)"},
                                  {"thrust_N", " (did you mean 'core.thrust_N'?)"},
                                  {"CORE.THRUST_N", " (did you mean 'core.thrust_N'?)"},
                                  {"payload", ""}}) {
    EXPECT_EQ(didYouMean(key, vehicleKeyNames()), hint) << key;
  }
}

TEST(ExitStatus, EachStatusHasOneMeaningAndTheManualHoldsTheTable) {
  const std::set<int> commands{exitStatus::ok,
                               exitStatus::noDesign,
                               exitStatus::usage,
                               exitStatus::failure,
                               exitStatus::interruptedBy(SIGINT),
                               exitStatus::interruptedBy(SIGTERM),
                               exitStatus::interruptedBy(SIGHUP)};
  const std::set<int> dialogue{0,
                               errorCode::badName,
                               errorCode::outOfMemory,
                               errorCode::unusableData,
                               errorCode::divisionByZero,
                               errorCode::overflow,
                               errorCode::invalidOperation,
                               errorCode::interruptedBy(SIGINT)};
  for (const auto& [table, named] :
       {std::pair{commandExitStatuses(), commands}, {dialogueExitStatuses(), dialogue}}) {
    std::set<int> listed;
    for (const ExitStatusRow& row : table) {
      EXPECT_FALSE(row.meaning.empty());
      for (int status : row.statuses) EXPECT_TRUE(listed.insert(status).second) << status;
    }
    for (int status : named) EXPECT_EQ(listed.count(status), 1u) << status;
  }
  EXPECT_NE(testing::readFile(ASCENT_SOURCE_DIR "/docs/exit-status.md").find(exitStatusMarkdown()),
            std::string::npos)
      << "docs/exit-status.md is not current: write exitStatusMarkdown() into it";

  std::ostringstream err;
  EXPECT_EQ(commandFailure(InputError({"v.toml:1: a", "v.toml:2: b"}), err), exitStatus::usage);
  EXPECT_EQ(commandFailure(Error(28, "cannot write x"), err), exitStatus::failure);
  EXPECT_EQ(err.str(), "ascent: v.toml:1: a\nascent: v.toml:2: b\nascent: cannot write x\n");
}

void marker(int) {}

void (*handlerOf(int signal))(int) {
  struct sigaction current {};
  sigaction(signal, nullptr, &current);
  return current.sa_handler;
}

TEST(SignalScope, RestoresThePreviousHandlersAndLeavesAnIgnoredSignalIgnored) {
  for (OnSignal what : {OnSignal::raiseFlag, OnSignal::cleanUpAndEnd, OnSignal::ignore}) {
    ::signal(SIGUSR1, marker);
    ::signal(SIGUSR2, SIG_IGN);  // as under nohup
    {
      SignalScope outer({SIGUSR1, SIGUSR2}, what);
      EXPECT_NE(handlerOf(SIGUSR1), marker);
      EXPECT_EQ(handlerOf(SIGUSR2), SIG_IGN);
      const auto inScope = handlerOf(SIGUSR1);
      { SignalScope inner({SIGUSR1}, OnSignal::ignore); }
      EXPECT_EQ(handlerOf(SIGUSR1), inScope);
    }
    EXPECT_EQ(handlerOf(SIGUSR1), marker);
    EXPECT_EQ(handlerOf(SIGUSR2), SIG_IGN);
  }
  {
    SignalScope flag({SIGUSR1}, OnSignal::raiseFlag);
    ::raise(SIGUSR1);
    EXPECT_EQ(pendingInterrupt(), SIGUSR1);
  }
  clearInterrupt();
  ::signal(SIGUSR1, SIG_DFL);
  ::signal(SIGUSR2, SIG_DFL);
}

}  // namespace
}  // namespace ascent

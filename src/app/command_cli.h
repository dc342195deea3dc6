// A command of the command line, as runCommandLine holds them all: it adds
// its subcommand and options to the parser, and runs when it was given.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <memory>
#include <vector>

namespace ascent {

class CommandCli {
 public:
  virtual ~CommandCli() = default;
  virtual bool parsed() const = 0;
  // Runs the command; returns its exit status.
  virtual int run(std::ostream& out, std::ostream& err) const = 0;
};

// The command of subcommand `app` with its settings `Command`, run by
// `runCommand(command, out, err)`: the shape of every command.
template <class Command, int (*runCommand)(const Command&, std::ostream&, std::ostream&)>
class SimpleCli : public CommandCli {
 public:
  explicit SimpleCli(CLI::App* app) : app_(app) {}
  bool parsed() const override { return app_->parsed(); }
  int run(std::ostream& out, std::ostream& err) const override {
    return runCommand(command_, out, err);
  }
  Command& command() { return command_; }

 private:
  CLI::App* app_;
  Command command_;
};

// Every command, in the order --help lists them.
std::vector<std::unique_ptr<CommandCli>> addCommands(CLI::App& app);

}  // namespace ascent

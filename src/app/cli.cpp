#include "app/cli.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_cli.h"
#include "app/command_safety.h"
#include "app/commands.h"
#include "app/interrupts.h"
#include "app/run.h"
#include "app/signal_scope.h"
#include "ascent/text.h"
#include "files/standard_output.h"
#include "files/vehicle_file.h"
#include "report/streams.h"

namespace ascent {

namespace {

int runDialogue(bool utf8, const Vehicle* vehicle, const std::string& thrustFile) {
  FdInStream standardInput(STDIN_FILENO, "standard input", false);
  FdOutStream standardOutput(STDOUT_FILENO, "standard output", false);
  FdOutStream standardError(STDERR_FILENO, "standard error", false, 512);
  RealFileSystem files;
  RunOptions options;
  options.handleSignals = true;
  // A terminal on both sides echoes the answers on the screen, between the prompts.
  options.inputIsTerminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
  if (options.inputIsTerminal) standardInput.echoesOn(standardOutput);
  options.standardError = &standardError;
  options.utf8 = utf8;
  options.vehicle = vehicle;
  options.thrustFile = thrustFile;
  return runProgram(standardInput, standardOutput, files, options);
}

// The output of --help and --version, whose failed write is an error too.
int printInformation(CLI::App& app, const CLI::ParseError& error) {
  app.exit(error, std::cout, std::cerr);
  try {
    flushOut(std::cout);
  } catch (const Error& failed) {
    return commandFailure(failed, std::cerr);
  }
  return exitStatus::ok;
}

// The dialogue's signs on the screen: UTF-8 when the screen is a terminal
// whose locale speaks it, the code page's bytes everywhere else.
bool utf8Terminal() {
  if (::isatty(STDOUT_FILENO) != 1) return false;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    std::string locale(value);
    for (char& c : locale) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return locale.find("utf-8") != std::string::npos || locale.find("utf8") != std::string::npos;
  }
  return false;
}

// The reason of a parse error in the program's own words.
std::string parseErrorReason(const CLI::ParseError& error) {
  const std::string what = error.what();
  // CLI11's words for an option given twice: "--limit: At Most 1 required but received 2".
  const std::size_t twice = what.find(": At Most 1 required but received");
  if (twice != std::string::npos) return what.substr(0, twice) + " is given more than once";
  return what;
}

}  // namespace

std::string unknownArgumentReason(CLI::App& app) {
  const std::vector<std::string> unknown = app.remaining(true);
  if (unknown.empty()) return {};
  const std::string& argument = unknown.front();
  const std::vector<CLI::App*> given = app.get_subcommands();
  std::vector<std::string> names;
  std::string reason;
  if (argument.rfind("-", 0) == 0) {
    reason = "unknown option '";
    for (const CLI::Option* option : (given.empty() ? &app : given.front())->get_options()) {
      // Long names only: every one-letter slip would otherwise be near "-h".
      for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    }
  } else if (given.empty()) {
    reason = "unknown command '";
    for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
      names.push_back(command->get_name());
    }
  } else {
    return "unexpected argument '" + argument + "'";
  }
  const std::vector<std::string_view> known(names.begin(), names.end());
  // An option's value given with '=' is no part of its name.
  const std::string_view word = std::string_view(argument).substr(0, argument.find('='));
  return reason + argument + "'" + didYouMean(word, known);
}

namespace {

// The options of the dialogue itself, given without a command.
struct DialogueOptions {
  bool utf8 = false, codepage = false;
  std::string vehicle, thrust = boosterThrustFileName;
  CLI::Option *vehicleOption = nullptr, *thrustOption = nullptr;

  void add(CLI::App& app) {
    app.add_flag("--utf8", utf8,
                 "dialogue: degree, plus-minus and squared signs in UTF-8 "
                 "(also ASCENT_UTF8=1, and the default on a UTF-8 terminal)");
    app.add_flag("--codepage", codepage,
                 "dialogue: the signs in the code page's bytes, also on a UTF-8 terminal");
    vehicleOption = addVehicle(&app, vehicle);
    thrustOption = app.add_option("--thrust", thrust,
                                  "dialogue: booster thrust history, read for every mission "
                                  "(default: s1.dat of the working directory)")
                       ->type_name("FILE");
  }
  // The signs of the dialogue: as asked, else as the environment or the
  // terminal speak.
  bool signsInUtf8(bool utf8Environment) const {
    return !codepage && (utf8 || utf8Environment || utf8Terminal());
  }
};

// The parse's refusal in one line, and where to read on.
int parseFailure(CLI::App& app, const CLI::ParseError& error) {
  if (error.get_exit_code() == 0) return printInformation(app, error);  // --help, --version
  // An argument nobody took is the reason, before any missing option.
  std::string reason = unknownArgumentReason(app);
  if (reason.empty()) reason = parseErrorReason(error);
  const std::vector<CLI::App*> given = app.get_subcommands();
  nameCommand(given.empty() ? "" : given.front()->get_name());
  // One line that names the option, the value and the rule, and where to
  // read on: the usage would push it off the screen.
  std::cerr << "ascent: " << reason << '\n' << helpLine();
  return exitStatus::usage;
}

// Before the command --thrust and --vehicle are the dialogue's, and the
// command would fly s1.dat or the default vehicle without a word: refused.
bool dialogueOptionsBeforeCommand(const CLI::App& app, const DialogueOptions& dialogue) {
  for (const CLI::Option* option : {dialogue.thrustOption, dialogue.vehicleOption}) {
    if (option->count() == 0 || app.get_subcommands().empty()) continue;
    const CLI::App* command = app.get_subcommands().front();
    const std::string name = option->get_name();
    std::cerr << "ascent: " << name << " before the command is the dialogue's: "
              << (command->get_option_no_throw(name) != nullptr
                      ? "give it after the command (ascent " + command->get_name() + ' ' + name +
                            " FILE)\n"
                      : "the " + command->get_name() + " command takes none\n");
    return true;
  }
  return false;
}

// Runs the command given, with what a command needs around it: no temporary
// file and no gnuplot left behind when a signal ends it, standard output
// flushed, an Error turned into its status.
int runGiven(const CommandCli& command) {
  reportOutOfMemoryAsCommand();
  SignalScope signals({SIGINT, SIGTERM, SIGHUP}, OnSignal::cleanUpAndEnd);
  try {
    const int status = command.run(std::cout, std::cerr);
    flushOut(std::cout);
    return status;
  } catch (const Error& error) {
    std::cout.flush();
    return commandFailure(error, std::cerr);
  }
}

}  // namespace

int runCommandLine(int argc, char** argv) {
  const char* utf8Variable = std::getenv("ASCENT_UTF8");
  const bool utf8Environment = utf8Variable != nullptr && std::string(utf8Variable) == "1";
  if (argc <= 1) {
    return runDialogue(utf8Environment || utf8Terminal(), nullptr, boosterThrustFileName);
  }
  // The commands' standard output, which knows why a write of it failed.
  StandardOutputBuffer standardOutput;
  struct Restore {
    std::streambuf* previous;
    ~Restore() {
      std::cout.flush();
      std::cout.rdbuf(previous);
    }
  } restore{std::cout.rdbuf(&standardOutput)};

  CLI::App app(
      "Simulates the ascent of a three-stage launch vehicle into orbit. Without a "
      "command, runs the interactive dialogue.",
      "ascent");
  app.set_version_flag("--version", "ascent " + std::string(version()));
  app.require_subcommand(0, 1);
  DialogueOptions dialogue;
  dialogue.add(app);
  const std::vector<std::unique_ptr<CommandCli>> commands = addCommands(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return parseFailure(app, error);
  }
  if (dialogueOptionsBeforeCommand(app, dialogue)) return exitStatus::usage;
  for (const auto& command : commands) {
    if (!command->parsed()) continue;
    nameCommand(app.get_subcommands().front()->get_name());
    return runGiven(*command);
  }
  const Vehicle* vehicle = nullptr;
  ChosenVehicle chosen;
  if (!dialogue.vehicle.empty()) {
    try {
      chosen = chooseVehicle(dialogue.vehicle, std::cerr);
    } catch (const Error& error) {
      return commandFailure(error, std::cerr);
    }
    std::cerr << vehicleLine(chosen);
    vehicle = &chosen.vehicle;
  }
  return runDialogue(dialogue.signsInUtf8(utf8Environment), vehicle, dialogue.thrust);
}

}  // namespace ascent

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

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/design_commands.h"
#include "app/dispersions_command.h"
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

CLI::Option* addTurnTime(CLI::App* app, double& turnTime_s) {
  return addSetting(app, "--turn-time", flySettingsDomain(), "turn_time_s", turnTime_s,
                    "turn time (s)", false)
      ->required();
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

int runCommandLine(int argc, char** argv) {
  const char* utf8Variable = std::getenv("ASCENT_UTF8");
  const bool utf8Environment = utf8Variable != nullptr && std::string(utf8Variable) == "1";
  if (argc <= 1)
    return runDialogue(utf8Environment || utf8Terminal(), nullptr, boosterThrustFileName);
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
  bool utf8 = false;
  app.add_flag("--utf8", utf8,
               "dialogue: degree, plus-minus and squared signs in UTF-8 "
               "(also ASCENT_UTF8=1, and the default on a UTF-8 terminal)");
  bool codepage = false;
  app.add_flag("--codepage", codepage,
               "dialogue: the signs in the code page's bytes, also on a UTF-8 terminal");
  std::string dialogueVehicle;
  CLI::Option* dialogueVehicleOption = addVehicle(&app, dialogueVehicle);
  std::string dialogueThrust = boosterThrustFileName;
  CLI::Option* dialogueThrustOption =
      app.add_option("--thrust", dialogueThrust,
                     "dialogue: booster thrust history, read for every mission (default: "
                     "s1.dat of the working directory)")
          ->type_name("FILE");

  VehicleCommand vehicle;
  CLI::App* vehicleApp = app.add_subcommand(
      "vehicle", "Print the default vehicle as a vehicle file, or check one (--check FILE)");
  namesFile(vehicleApp->add_option("--check", vehicle.checkFile,
                                   "validate FILE and list the keys that differ from the defaults"))
      ->type_name("FILE");
  vehicleApp
      ->add_flag("--reference", vehicle.reference,
                 "print every key with its unit, allowed values, default and meaning as "
                 "Markdown tables")
      ->excludes("--check");

  FlyCommand fly;
  CLI::App* flyApp = app.add_subcommand("fly", "Fly one mission and print its summary");
  addThrust(flyApp, fly.thrust);
  addVehicle(flyApp, fly.vehicleFile);
  addTurnTime(flyApp, fly.settings.turnTime_s);
  addSetting(flyApp, "--limit", flySettingsDomain(), "limit_deg", fly.settings.limit_deg,
             "maximum angle of attack (deg)", false)
      ->required();
  addSetting(flyApp, "--min-perigee", flySettingsDomain(), "minimum_perigee_m",
             fly.settings.minimumPerigee_m, "an orbit's perigee is at least this (km)");
  flyApp->add_flag("--json", fly.json, "print every number of the mission as one JSON object");
  namesFile(
      flyApp->add_option("--trajectory", fly.trajectoryFile, "write one CSV row per step to FILE"))
      ->type_name("FILE.csv");

  TargetCommand target;
  CLI::App* targetApp = app.add_subcommand(
      "target", "Find the limit whose mission has the wanted average altitude at one turn time");
  addThrust(targetApp, target.thrust);
  addVehicle(targetApp, target.vehicleFile);
  addTurnTime(targetApp, target.settings.turnTime_s);
  addTargetSettings(targetApp, target.settings.search);
  addDynamicPressureLimit(targetApp, target.settings.search);
  targetApp->add_flag("--json", target.json, "print the verdict and every mission as JSON");

  SweepCli sweep(app);

  PlotCommand plot;
  CLI::App* plotApp = app.add_subcommand(
      "plot", "Chart the data files of a dialogue run (speed, height, accel, dynpres) as PNG");
  namesFile(plotApp->add_option("DIR", plot.dataDirectory, "directory of the run"))
      ->capture_default_str();
  namesFile(plotApp->add_option("--out", plot.outDirectory, "write the charts here (default: DIR)"))
      ->type_name("DIR");
  plotApp
      ->add_option("--report", plot.reportFile,
                   "the run's report file: each curve is named by its turn time and limit")
      ->type_name("FILE");

  OptimizeCli optimize(app);
  TradeCli trade(app);
  PerformanceCli performance(app);
  DispersionsCli dispersions(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
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
  // Before the command they would be the dialogue's, and the command would
  // fly s1.dat or the default vehicle without a word.
  for (const CLI::Option* option : {dialogueThrustOption, dialogueVehicleOption}) {
    if (option->count() == 0 || app.get_subcommands().empty()) continue;
    const CLI::App* command = app.get_subcommands().front();
    const std::string name = option->get_name();
    std::cerr << "ascent: " << name << " before the command is the dialogue's: "
              << (command->get_option_no_throw(name) != nullptr
                      ? "give it after the command (ascent " + command->get_name() + ' ' + name +
                            " FILE)\n"
                      : "the " + command->get_name() + " command takes none\n");
    return exitStatus::usage;
  }

  if (!app.get_subcommands().empty()) nameCommand(app.get_subcommands().front()->get_name());
  // A command leaves no temporary file and no gnuplot behind when a signal ends it.
  std::optional<SignalScope> commandSignals;
  if (!app.get_subcommands().empty()) {
    reportOutOfMemoryAsCommand();
    commandSignals.emplace({SIGINT, SIGTERM, SIGHUP}, OnSignal::cleanUpAndEnd);
  }
  try {
    int status = -1;
    if (vehicleApp->parsed()) status = runVehicleCommand(vehicle, std::cout);
    if (flyApp->parsed()) status = runFlyCommand(fly, std::cout, std::cerr);
    if (targetApp->parsed()) status = runTargetCommand(target, std::cout, std::cerr);
    if (sweep.parsed()) status = sweep.run(std::cout, std::cerr);
    if (plotApp->parsed()) status = runPlotCommand(plot, std::cout);
    if (optimize.parsed()) status = optimize.run(std::cout, std::cerr);
    if (trade.parsed()) status = trade.run(std::cout, std::cerr);
    if (performance.parsed()) status = performance.run(std::cout, std::cerr);
    if (dispersions.parsed()) status = dispersions.run(std::cout, std::cerr);
    if (status >= 0) {
      flushOut(std::cout);
      return status;
    }
    if (!dialogueVehicle.empty()) {
      const ChosenVehicle chosen = chooseVehicle(dialogueVehicle);
      std::cerr << vehicleLine(chosen);
      return runDialogue(!codepage && (utf8 || utf8Environment || utf8Terminal()), &chosen.vehicle,
                         dialogueThrust);
    }
  } catch (const Error& error) {
    std::cout.flush();
    return commandFailure(error, std::cerr);
  }
  return runDialogue(!codepage && (utf8 || utf8Environment || utf8Terminal()), nullptr,
                     dialogueThrust);
}

}  // namespace ascent

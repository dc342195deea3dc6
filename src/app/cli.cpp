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
#include "app/dispersions_command.h"
#include "app/interrupts.h"
#include "app/run.h"
#include "app/signal_scope.h"
#include "app/trade_commands.h"
#include "ascent/text.h"
#include "files/vehicle_file.h"
#include "mission/number_reader.h"
#include "report/streams.h"

namespace ascent {

namespace {

int runDialogue(bool utf8, const Vehicle* vehicle) {
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
  return runProgram(standardInput, standardOutput, files, options);
}

void addMinimumPerigee(CLI::App* app, double& minimumPerigee_m) {
  addSetting(app, "--min-perigee", targetSettingsDomain(), "min_perigee_m", minimumPerigee_m,
             "an orbit's perigee is at least this (km), default 100");
}

void addTargetSettings(CLI::App* app, TargetSettings& settings) {
  addSetting(app, "--altitude", targetSettingsDomain(), "altitude_m", settings.altitude_m,
             "wanted average orbit altitude (km), default 200");
  addSetting(app, "--tolerance", targetSettingsDomain(), "tolerance_m", settings.tolerance_m,
             "converged within this (km), default 0.1");
  addSetting(app, "--max-missions", targetSettingsDomain(), "max_missions", settings.maxMissions,
             "mission budget, default 25");
  addSetting(app, "--first-guess", targetSettingsDomain(), "first_guess_deg",
             settings.firstGuessDeg, "limit of the first mission (deg), default 25");
  addMinimumPerigee(app, settings.minimumPerigee_m);
}

CLI::Option* addTurnTime(CLI::App* app, double& turnTime_s) {
  return addReal(app, "--turn-time", turnTime_s, "turn time (s)")
      ->required()
      ->check(realDomain(domain::lowestTurnTime_s, domain::highestTurnTime_s, "s"));
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
  if (argc <= 1) return runDialogue(utf8Environment || utf8Terminal(), nullptr);

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
  addVehicle(&app, dialogueVehicle);

  VehicleCommand vehicle;
  CLI::App* vehicleApp = app.add_subcommand(
      "vehicle", "Print the default vehicle as a vehicle file, or check one (--check FILE)");
  vehicleApp
      ->add_option("--check", vehicle.checkFile,
                   "validate FILE and list the keys that differ from the defaults")
      ->type_name("FILE");

  FlyCommand fly;
  CLI::App* flyApp = app.add_subcommand("fly", "Fly one mission and print its summary");
  addThrust(flyApp, fly.thrustFile);
  addVehicle(flyApp, fly.vehicleFile);
  addTurnTime(flyApp, fly.turnTime_s);
  addReal(flyApp, "--limit", fly.limitDeg, "maximum angle of attack (deg)")
      ->required()
      ->check(realDomain(domain::lowestLimitDeg, domain::highestLimitDeg, "deg"));
  addMinimumPerigee(flyApp, fly.minimumPerigee_m);
  flyApp->add_flag("--json", fly.json, "print every number of the mission as one JSON object");
  flyApp->add_option("--trajectory", fly.trajectoryFile, "write one CSV row per step to FILE")
      ->type_name("FILE.csv");

  TargetCommand target;
  CLI::App* targetApp = app.add_subcommand(
      "target", "Find the limit whose mission has the wanted average altitude at one turn time");
  addThrust(targetApp, target.thrustFile);
  addVehicle(targetApp, target.vehicleFile);
  addTurnTime(targetApp, target.turnTime_s);
  addTargetSettings(targetApp, target.settings);
  targetApp->add_flag("--json", target.json, "print the verdict and every mission as JSON");

  SweepCommand sweep;
  std::string sweepRange, shard;
  CLI::App* sweepApp = app.add_subcommand(
      "sweep", "Target every turn time of a range; one CSV row each and the best design");
  addThrust(sweepApp, sweep.thrustFile);
  addVehicle(sweepApp, sweep.vehicleFile);
  sweepApp->add_option("--turn-time", sweepRange, "turn times FROM + k * STEP up to TO (s)")
      ->type_name("FROM:TO:STEP")
      ->required();
  addTargetSettings(sweepApp, sweep.settings);
  sweepApp->add_option("--csv", sweep.csvFile, "write the rows to FILE (default: standard output)")
      ->type_name("FILE");
  sweepApp->add_option("--plot", sweep.plotFile, "chart SC_M and the limit against turn time")
      ->type_name("FILE.png");
  addJobs(sweepApp, sweep.jobs);
  sweepApp->add_option("--shard", shard, "fly every N-th turn time from the I-th (header in 1/N)")
      ->type_name("I/N");

  PlotCommand plot;
  CLI::App* plotApp = app.add_subcommand(
      "plot", "Chart the data files of a dialogue run (speed, height, accel, dynpres) as PNG");
  plotApp->add_option("DIR", plot.dataDirectory, "directory of the run")->capture_default_str();
  plotApp->add_option("--out", plot.outDirectory, "write the charts here (default: DIR)")
      ->type_name("DIR");

  TradeCommands trades(app);
  DispersionsCli dispersions(app);

  // Checks that need the whole command line.
  app.final_callback([&] {
    if (sweepApp->parsed()) {
      std::string reason;
      if (!parseTurnTimeRange(sweepRange, sweep.turnTimes, reason)) {
        throw CLI::ValidationError("--turn-time", reason);
      }
      if (!shard.empty()) {
        unsigned long index = 0, count = 0;
        const std::size_t slash = shard.find('/');
        if (slash == std::string::npos ||
            !parseDecimal(shard.substr(slash + 1), 1, domain::highestSweepTurnTimes, count) ||
            !parseDecimal(shard.substr(0, slash), 1, count, index)) {
          throw CLI::ValidationError("--shard", "'" + shard + "' is not I/N with 1 <= I <= N <= " +
                                                    std::to_string(domain::highestSweepTurnTimes));
        }
        sweep.shardIndex = index;
        sweep.shardCount = count;
      }
    }
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return printInformation(app, error);  // --help, --version
    // An argument nobody took is the reason, before any missing option.
    std::string reason = unknownArgumentReason(app);
    if (reason.empty()) reason = error.what();
    std::cerr << "ascent: " << reason << '\n' << app.help();
    return exitStatus::usage;
  }

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
    if (sweepApp->parsed()) status = runSweepCommand(sweep, std::cout, std::cerr);
    if (plotApp->parsed()) status = runPlotCommand(plot, std::cout);
    if (trades.parsed()) status = trades.run(std::cout, std::cerr);
    if (dispersions.parsed()) status = dispersions.run(std::cout, std::cerr);
    if (status >= 0) {
      flushOut(std::cout);
      return status;
    }
    if (!dialogueVehicle.empty()) {
      const ChosenVehicle chosen = chooseVehicle(dialogueVehicle);
      std::cerr << vehicleLine(chosen);
      return runDialogue(!codepage && (utf8 || utf8Environment || utf8Terminal()), &chosen.vehicle);
    }
  } catch (const Error& error) {
    std::cout.flush();
    return commandFailure(error, std::cerr);
  }
  return runDialogue(!codepage && (utf8 || utf8Environment || utf8Terminal()), nullptr);
}

}  // namespace ascent

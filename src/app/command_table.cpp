// Every command of the command line and its options (app/command_cli.h).
#include <memory>

#include "app/command_cli.h"
#include "app/command_safety.h"
#include "app/commands.h"
#include "app/design_commands.h"
#include "app/dispersions_command.h"
#include "app/report_command.h"
#include "app/sensitivity_command.h"

namespace ascent {

namespace {

CLI::Option* addTurnTime(CLI::App* app, double& turnTime_s) {
  return addSetting(app, "--turn-time", flySettingsDomain(), "turn_time_s", turnTime_s,
                    "turn time (s; or 18s)", false)
      ->required();
}

std::unique_ptr<CommandCli> vehicleCli(CLI::App& app) {
  CLI::App* sub = app.add_subcommand(
      "vehicle", "Print the default vehicle as a vehicle file, or check one (--check FILE)");
  auto cli = std::make_unique<SimpleCli<VehicleCommand, runVehicleCommand>>(sub);
  VehicleCommand& c = cli->command();
  namesFile(sub->add_option("--check", c.checkFile,
                            "validate FILE and list the keys that differ from the defaults"))
      ->type_name("FILE");
  sub->add_flag("--reference", c.reference,
                "print every key with its unit, allowed values, default and meaning as "
                "Markdown tables")
      ->excludes("--check");
  return cli;
}

std::unique_ptr<CommandCli> flyCli(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("fly", "Fly one mission and print its summary");
  auto cli = std::make_unique<SimpleCli<FlyCommand, runFlyCommand>>(sub);
  FlyCommand& c = cli->command();
  addThrust(sub, c.thrust);
  addVehicle(sub, c.vehicleFile);
  addTurnTime(sub, c.settings.turnTime_s);
  addSetting(sub, "--limit", flySettingsDomain(), "limit_deg", c.settings.limit_deg,
             "maximum angle of attack (deg; or 24.06deg, 0.42rad)", false)
      ->required();
  addSetting(sub, "--min-perigee", flySettingsDomain(), "minimum_perigee_m",
             c.settings.minimumPerigee_m,
             "an orbit's perigee is at least this (km; or 100km, 100000m)");
  sub->add_flag("--json", c.json, "print every number of the mission as one JSON object");
  namesFile(sub->add_option("--trajectory", c.trajectoryFile, "write one CSV row per step to FILE"))
      ->type_name("FILE.csv");
  return cli;
}

std::unique_ptr<CommandCli> targetCli(CLI::App& app) {
  CLI::App* sub = app.add_subcommand(
      "target", "Find the limit whose mission has the wanted average altitude at one turn time");
  auto cli = std::make_unique<SimpleCli<TargetCommand, runTargetCommand>>(sub);
  TargetCommand& c = cli->command();
  addThrust(sub, c.thrust);
  addVehicle(sub, c.vehicleFile);
  addTurnTime(sub, c.settings.turnTime_s);
  addTargetSettings(sub, c.settings.search);
  addDynamicPressureLimit(sub, c.settings.search);
  sub->add_flag("--json", c.json, "print the verdict and every mission as JSON");
  return cli;
}

std::unique_ptr<CommandCli> plotCli(CLI::App& app) {
  CLI::App* sub = app.add_subcommand(
      "plot", "Chart the data files of a dialogue run (speed, height, accel, dynpres) as PNG");
  auto cli = std::make_unique<SimpleCli<PlotCommand, runPlotCommand>>(sub);
  PlotCommand& c = cli->command();
  namesFile(sub->add_option("DIR", c.dataDirectory, "directory of the run"))->capture_default_str();
  namesFile(sub->add_option("--out", c.outDirectory, "write the charts here (default: DIR)"))
      ->type_name("DIR");
  sub->add_option("--report", c.reportFile,
                  "the run's report file: each curve is named by its turn time and limit")
      ->type_name("FILE");
  return cli;
}

}  // namespace

std::vector<std::unique_ptr<CommandCli>> addCommands(CLI::App& app) {
  std::vector<std::unique_ptr<CommandCli>> commands;
  commands.push_back(vehicleCli(app));
  commands.push_back(flyCli(app));
  commands.push_back(targetCli(app));
  commands.push_back(std::make_unique<SweepCli>(app));
  commands.push_back(plotCli(app));
  commands.push_back(std::make_unique<OptimizeCli>(app));
  commands.push_back(std::make_unique<TradeCli>(app));
  commands.push_back(std::make_unique<PerformanceCli>(app));
  commands.push_back(std::make_unique<DispersionsCli>(app));
  commands.push_back(std::make_unique<SensitivityCli>(app));
  commands.push_back(std::make_unique<ReportCli>(app));
  return commands;
}

}  // namespace ascent

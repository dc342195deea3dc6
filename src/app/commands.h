// The design commands of the command line: fly one mission, target the orbit
// at one turn time, plot a dialogue run (sweep, optimize and trade:
// app/design_commands.h). Each returns the process's exit status
// (app/exit_status.h); a file that cannot be read or written throws Error,
// what the user gave that cannot be used InputError.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "app/thrust_file.h"
#include "ascent/ascent.h"
#include "ascent/fly.h"
#include "ascent/study.h"
#include "ascent/target.h"

namespace ascent {

class OutputSet;
class OutputFile;

// The vehicle of a command: the default one, or one read from --vehicle FILE.
struct ChosenVehicle {
  std::string path;  // empty: the default vehicle
  Vehicle vehicle;
  std::vector<std::string> changedKeys;
};
// Reads and validates FILE (empty: the default vehicle); throws InputError
// with every problem of the file, and writes its warnings to `err`.
ChosenVehicle chooseVehicle(const std::string& path, std::ostream& err);
// "Vehicle: FILE (N changes)\n" for a vehicle file, nothing for the default vehicle.
std::string vehicleLine(const ChosenVehicle& chosen);

// The thrust file and, if given, the vehicle file of a command that flies, as
// inputs that none of its outputs may be.
void addFlightInputs(OutputSet& files, const std::string& thrustFile,
                     const std::string& vehicleFile);
// What a command flies: the vehicle first (its file's problems are reported
// before the thrust file is read), then the thrust history, checked together
// for lift-off.
struct FlightInputs {
  ChosenVehicle chosen;
  ThrustHistory history;
};
FlightInputs readFlightInputs(const ThrustOption& thrust, const std::string& vehicleFile,
                              std::ostream& err);

// A study's inputs and its file outputs (an empty name: none). The outputs
// are checked against the inputs and one another and gnuplot is looked for
// before anything is read; the files are created before any mission is
// flown, so an output that cannot be written ends the command first.
struct StudyFiles {
  FlightInputs inputs;
  std::string thrustFile;                  // the thrust file chosen (chooseThrustFile)
  std::unique_ptr<OutputFile> csv, chart;  // null when not asked for
  StudyFiles(FlightInputs flown, std::string thrust);
  ~StudyFiles();
  StudyFiles(StudyFiles&&) noexcept;
};
StudyFiles openStudyFiles(const ThrustOption& thrust, const std::string& vehicleFile,
                          const std::string& csvFile, const std::string& chartFile,
                          std::ostream& err);

struct VehicleCommand {
  std::string checkFile;   // --check FILE; empty: print the default description
  bool reference = false;  // --reference: the key table in Markdown
};
int runVehicleCommand(const VehicleCommand& command, std::ostream& out, std::ostream& err);
// Every key of the vehicle file with its unit, allowed values, default and
// meaning, one Markdown table per part, then the default drag table: the
// manual's reference, printed by `ascent vehicle --reference`.
std::string vehicleReference();

struct FlyCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  FlySettings settings;
  bool json = false;
  std::string trajectoryFile;  // empty: none
};
int runFlyCommand(const FlyCommand& command, std::ostream& out, std::ostream& err);

struct TargetCommand {
  ThrustOption thrust;
  std::string vehicleFile;
  TargetSettings settings;
  bool json = false;
};
int runTargetCommand(const TargetCommand& command, std::ostream& out, std::ostream& err);

struct PlotCommand {
  std::string dataDirectory = ".";
  std::string outDirectory;  // empty: the data directory
  std::string reportFile;    // the run's report, for each curve's turn time and limit; empty: none
};
int runPlotCommand(const PlotCommand& command, std::ostream& out, std::ostream& err);

}  // namespace ascent

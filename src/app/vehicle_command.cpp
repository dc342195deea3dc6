// ascent vehicle: the default vehicle as a vehicle file, or a file checked
// against the defaults; and the --vehicle option of the other commands.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>
#include <string_view>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/gnuplot.h"
#include "ascent/text.h"
#include "ascent/vehicle.h"
#include "files/output_set.h"
#include "files/vehicle_file.h"
#include "physics/constants.h"
#include "report/printf_text.h"

namespace ascent {

ChosenVehicle chooseVehicle(const std::string& path, std::ostream& err) {
  ChosenVehicle chosen;
  chosen.vehicle = Vehicle::defaults();
  if (path.empty()) return chosen;
  VehicleFile file = readVehicleFile(path);
  for (const std::string& warning : file.warnings) err << "ascent: " << warning << '\n';
  chosen.path = path;
  chosen.vehicle = std::move(file.vehicle);
  chosen.changedKeys = std::move(file.changedKeys);
  return chosen;
}

std::string vehicleLine(const ChosenVehicle& chosen) {
  if (chosen.path.empty()) return {};
  const std::size_t n = chosen.changedKeys.size();
  return format("Vehicle: %s (%zu change%s from the default vehicle)\n", chosen.path.c_str(), n,
                n == 1 ? "" : "s");
}

void addFlightInputs(OutputSet& files, const std::string& thrustFile,
                     const std::string& vehicleFile) {
  files.input(thrustFile, "the thrust file");
  if (!vehicleFile.empty()) files.input(vehicleFile, "the vehicle file");
}

FlightInputs readFlightInputs(const ThrustOption& thrust, const std::string& vehicleFile,
                              std::ostream& err) {
  return FlightInputs{chooseVehicle(vehicleFile, err), readThrustFile(thrust)};
}

StudyFiles::StudyFiles(FlightInputs flown, std::string thrust)
    : inputs(std::move(flown)), thrustFile(std::move(thrust)) {}
StudyFiles::~StudyFiles() = default;
StudyFiles::StudyFiles(StudyFiles&&) noexcept = default;

StudyFiles openStudyFiles(const ThrustOption& thrust, const std::string& vehicleFile,
                          const std::string& csvFile, const std::string& chartFile,
                          std::ostream& err) {
  const ThrustOption chosen = chooseThrustFile(thrust, err);
  OutputSet files;
  addFlightInputs(files, chosen.file, vehicleFile);
  if (!csvFile.empty()) files.output(csvFile, "the CSV file");
  if (!chartFile.empty()) files.output(chartFile, "the chart");
  files.standardOutput();
  refuseClashes(files);
  if (!chartFile.empty()) requireGnuplot();
  StudyFiles study(readFlightInputs(chosen, vehicleFile, err), chosen.file);
  if (!csvFile.empty()) study.csv = std::make_unique<OutputFile>(csvFile);
  if (!chartFile.empty()) study.chart = std::make_unique<OutputFile>(chartFile);
  return study;
}

namespace {

// A table cell: a pipe would end the cell, a star could start emphasis.
std::string markdownCell(std::string_view text) {
  std::string cell;
  for (const char c : text) {
    if (c == '|' || c == '*') cell += '\\';
    cell += c;
  }
  return cell;
}

// The drag table is a list, not a key: its own table under the aero keys.
std::string dragTableReference(const Vehicle& defaults) {
  std::string out =
      "\n#### `aero.drag_table`\n\n"
      "The drag coefficient over Mach number, a list of rows `{ mach, cd, fall, over_mach }`: "
      "from each row's Mach number on (inclusive) the coefficient is "
      "cd - (M - mach) \\* fall / over_mach, up to the next row; the last row is flat. "
      "The Mach numbers start at 0 and increase. The default table:\n\n"
      "| mach | cd | fall | over_mach |\n|---|---|---|---|\n";
  for (const DragRow& row : defaults.aero.drag_table) {
    out += format("| %s | %s | %s | %s |\n", readableText(row.mach).c_str(),
                  readableText(row.cd).c_str(), readableText(row.fall).c_str(),
                  readableText(row.over_mach).c_str());
  }
  return out;
}

// Whether the upper stage, the stack above the core and the mass above the
// load path add up, for a file that changes any of them (or the SAJ or LAS
// they hold); the warnings of one that does not.
std::string upperStackText(const VehicleFile& file) {
  static constexpr std::string_view stackKeys[] = {"core.saj_mass_kg", "core.las_mass_kg",
                                                   "upper.mass_kg", "loads.carried_mass_kg",
                                                   "resizing.S3_Mt_kg"};
  const bool changed =
      std::any_of(file.changedKeys.begin(), file.changedKeys.end(), [](const std::string& key) {
        return std::find(std::begin(stackKeys), std::end(stackKeys), key) != std::end(stackKeys);
      });
  if (!changed) return {};
  if (!file.warnings.empty()) {
    std::string text;
    for (const std::string& warning : file.warnings) text += warning + '\n';
    return text;
  }
  const Vehicle& v = file.vehicle;
  return format(
      "The upper stage is consistent: resizing.S3_Mt_kg = upper.mass_kg + %s kg (the interstage), "
      "loads.carried_mass_kg = resizing.S3_Mt_kg + core.saj_mass_kg + core.las_mass_kg\n",
      readableText(v.resizing.S3_Mt_kg - v.upper.mass_kg).c_str());
}

}  // namespace

std::string vehicleReference() {
  const Vehicle& defaults = Vehicle::defaults();
  std::string out;
  std::string_view part;
  for (const VehicleKey& k : vehicleKeys()) {
    const std::string_view keyPart = k.key.substr(0, k.key.find('.'));
    if (keyPart != part) {
      if (part == "aero") out += dragTableReference(defaults);
      part = keyPart;
      out += format("%s### `[%s]`\n\n", out.empty() ? "" : "\n", std::string(part).c_str());
      out += "| key | unit | allowed values | default | meaning |\n|---|---|---|---|---|\n";
    }
    out += format("| `%s` | %s | %s | %s | %s |\n", std::string(k.key).c_str(),
                  markdownCell(k.unit).c_str(), markdownCell(domainText(k.domain)).c_str(),
                  readableText(k.get(defaults)).c_str(), markdownCell(k.comment).c_str());
  }
  return out;
}

int runVehicleCommand(const VehicleCommand& command, std::ostream& out, std::ostream&) {
  if (command.reference) {
    out << vehicleReference();
    return exitStatus::ok;
  }
  if (command.checkFile.empty()) {
    out << vehicleToml(Vehicle::defaults());
    return exitStatus::ok;
  }
  const VehicleFile file = readVehicleFile(command.checkFile);
  const std::size_t n = file.changedKeys.size();
  out << format("%s: a valid vehicle, %zu key%s differ%s from the defaults\n",
                command.checkFile.c_str(), n, n == 1 ? "" : "s", n == 1 ? "s" : "");
  for (const std::string& key : file.changedKeys) {
    const VehicleKey* k = findVehicleKey(key);
    if (k == nullptr) {
      out << "  " << key << ": changed\n";
      continue;
    }
    const auto derived = std::find_if(file.derivedKeys.begin(), file.derivedKeys.end(),
                                      [&](const DerivedKey& d) { return d.key == key; });
    out << format(
        "  %s: %s -> %s %s%s\n", key.c_str(), exactText(k->get(Vehicle::defaults())).c_str(),
        exactText(k->get(file.vehicle)).c_str(), std::string(k->unit).c_str(),
        derived == file.derivedKeys.end() ? "" : (", derived: " + derived->relation).c_str());
  }
  out << upperStackText(file);
  out << "hash " << vehicleHash(file.vehicle) << '\n';
  return exitStatus::ok;
}

}  // namespace ascent

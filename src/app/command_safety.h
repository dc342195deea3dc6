// The rules every design command follows: options inside their domains,
// inputs read whole up to a size limit and checked before any mission,
// outputs that are files of their own, signals that leave no temporary file
// and no gnuplot behind, and standard output whose failed write is an error.
#pragma once

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/commands.h"
#include "ascent/schema.h"
#include "ascent/trade.h"
#include "files/output_set.h"

namespace ascent {

// Reads the text of a number option of a study's settings in the unit its
// domain shows (km for a value held in m); throws CLI::ValidationError naming
// `option` when it is not a number (a whole number: decimal digits) or lies
// outside the domain, in the words of the study's own check. Returns the
// value as shown; the caller converts it to SI.
double shownSettingValue(const std::string& option, const std::string& text, std::string_view what,
                         double lowest, double highest, bool lowestIncluded, bool whole,
                         std::string_view unit, bool highestIncluded = true);

// A number option of a study's settings, stored in SI into `field`: the
// domain named `name` of `table` checks it.
template <class Settings, class Number>
CLI::Option* addSetting(CLI::App* app, const std::string& option,
                        std::span<const SettingDomain<Settings>> table, std::string_view name,
                        Number& field, const std::string& description) {
  const SettingDomain<Settings>* d = findDomain(table, name);
  if (d == nullptr) throw std::logic_error("no domain " + std::string(name));
  return app
      ->add_option_function<std::string>(
          option,
          [&field, option, d](const std::string& text) {
            field = static_cast<Number>(
                shownSettingValue(option, text, d->what, d->lowest / d->siPerUnit,
                                  d->highest / d->siPerUnit, d->lowestIncluded, d->whole, d->unit,
                                  d->highestIncluded) *
                d->siPerUnit);
          },
          description)
      ->type_name(d->whole ? "N" : "NUMBER");
}

// Runs `read`, a study's reading of the text of `option`; the
// std::invalid_argument it throws becomes the option's usage error.
template <class Read>
void readOption(const std::string& option, Read read) {
  try {
    read();
  } catch (const std::invalid_argument& problem) {
    throw CLI::ValidationError(option, problem.what());
  }
}

// A file or folder option (or argument): an empty name names nothing and is
// refused in the files' words (fileNameProblem), never taken for the option
// left out. Returns `option`.
CLI::Option* namesFile(CLI::Option* option);

// The options every command that flies shares, spelt and checked alike
// (--thrust: app/thrust_file.h).
CLI::Option* addVehicle(CLI::App* app, std::string& file,
                        const std::string& description =
                            "vehicle file (TOML; `ascent vehicle` prints the default one)");
// --jobs N, in the study's domain of jobs; not given: 0, the machine's cores.
void addJobs(CLI::App* app, unsigned& jobs);
// --altitude, --tolerance, --max-missions, --first-guess and --min-perigee.
void addTargetSettings(CLI::App* app, SearchSettings& settings);
// The same but --altitude: how every altitude is searched.
void addSearchSettings(CLI::App* app, SearchSettings& settings);
void addMinimumPerigee(CLI::App* app, double& minimumPerigee_m);
// --max-dynamic-pressure PA: a design over it is infeasible; not given, no limit.
void addDynamicPressureLimit(CLI::App* app, SearchSettings& settings);

// The line a long command rewrites on standard error as its work is done.
// Only a terminal shows it: a file or a pipe would keep every rewrite.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  bool shown() const { return shown_; }
  // Replaces the line with `text`.
  void show(std::string_view text);
  // Leaves the line empty for what the command writes next.
  void clear();

 private:
  std::ostream& err_;
  bool shown_;
};

// A study's progress as "what: done of total" on the line, when it is shown.
Progress progressOn(ProgressLine& line, const char* what);

// The first clash of the set, refused as InputError.
void refuseClashes(const OutputSet& outputs);

// How a refusal names the vehicle of a command: "the vehicle file v.toml".
std::string vehicleFileName(const ChosenVehicle& chosen);

// The thrust file flown through the booster phase at `turnTime_s` before a
// study: a fault of the file is ThrustFileError (status 3) naming the file,
// the record and the reason, a fault of the vehicle's values VehicleError
// naming the vehicle file; a record interval longer than the flight assumes
// is a warning on `err`, as the dialogue writes it.
void checkThrustFile(const ThrustHistory& history, const ChosenVehicle& chosen, double turnTime_s,
                     std::ostream& err);

// Writes and flushes `text` to standard output `out`; throws Error when the
// write fails.
void writeOut(std::ostream& out, std::string_view text);

// Flushes standard output; throws Error "cannot write standard output".
void flushOut(std::ostream& out);

}  // namespace ascent

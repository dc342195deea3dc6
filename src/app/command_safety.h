// The rules every design command follows: options inside their domains,
// inputs read whole up to a size limit and checked before any mission,
// outputs that are files of their own, signals that leave no temporary file
// and no gnuplot behind, and standard output whose failed write is an error.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "app/commands.h"
#include "app/option_names.h"
#include "ascent/grammar.h"
#include "ascent/schema.h"
#include "ascent/study.h"
#include "files/output_set.h"

namespace ascent {

// Reads the text of a whole-number option (a count: threads, missions):
// decimal digits, or CLI::ValidationError naming `option`. Whether it lies
// in its domain is the study's to say (InputError naming the setting,
// optionFor names the option).
double wholeSettingValue(const std::string& option, const std::string& text);

// Reads the text of a number option of a study's settings: a whole number
// (wholeSettingValue) when `whole`, else a number with an optional unit of
// the dimension of `unit`, the unit its domain shows (ascent/grammar.h:
// "200km", or "200" of km), or CLI::ValidationError naming `option`. A bare
// number is remembered as the setting's (nameGivenNumber). Whether it lies in
// its domain is the study's to say.
Quantity settingQuantity(const std::string& option, std::string_view setting,
                         const std::string& text, std::string_view unit, bool whole);

// ", default 200" of a value as shown; ", default none" for no limit.
std::string defaultText(double shown);

// A number option of a study's settings, stored in SI into `field`: the
// domain named `name` of `table` gives its unit (which a number given
// without one is in) and whether it is whole. The help text ends with the
// field's value when the option is added, which is the settings' default.
template <class Settings, class Number>
CLI::Option* addSetting(CLI::App* app, const std::string& option,
                        std::span<const SettingDomain<Settings>> table, std::string_view name,
                        Number& field, const std::string& description, bool showDefault = true) {
  const SettingDomain<Settings>* d = findDomain(table, name);
  if (d == nullptr) throw Error(errorCode::unusableData, "no domain " + std::string(name));
  nameOption(name, option);
  std::string help = description;
  if constexpr (std::is_arithmetic_v<Number>) {
    if (showDefault) help += defaultText(static_cast<double>(field) / d->siPerUnit);
  }
  return app
      ->add_option_function<std::string>(
          option,
          [&field, option, d](const std::string& text) {
            const Quantity q = settingQuantity(option, d->name, text, d->unit, d->whole);
            const double value = q.value;
            // A number too large to hold in SI is outside every domain, as typed.
            if (std::isinf(value) && !std::isinf(q.shown)) {
              throw CLI::ValidationError(
                  option, domainProblem(d->what, q.shown, d->lowest / d->siPerUnit,
                                        d->highest / d->siPerUnit, d->lowestIncluded, d->whole,
                                        d->unit, d->highestIncluded));
            }
            if constexpr (std::is_arithmetic_v<Number>) {
              field = static_cast<Number>(value);
            } else {
              field = value;
            }
          },
          help)
      ->type_name(d->whole ? "N" : "NUMBER");
}

// Runs `read`, a reading of the text of `option` (ascent/grammar.h); the
// InputError it throws becomes the option's usage error.
template <class Read>
void readOption(const std::string& option, Read read) {
  try {
    read();
  } catch (const InputError& problem) {
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

// What a command shows of a study while it works: the record-interval
// warning as the dialogue writes it, and "what: done of total" on the
// progress line when it is shown.
class CommandObserver : public StudyObserver {
 public:
  CommandObserver(std::ostream& err, ProgressLine& line, const char* what)
      : err_(err), line_(line), what_(what) {}
  void longRecordInterval(double interval_s) override;
  void progress(std::size_t done, std::size_t total) override;

 protected:
  std::ostream& err_;
  ProgressLine& line_;
  const char* what_;
};

// The first clash of the set, refused as InputError.
void refuseClashes(const OutputSet& outputs);

// What a command's study flies: the chosen vehicle and the history.
StudyInputs studyInputs(const FlightInputs& inputs);

// Writes and flushes `text` to standard output `out`; throws Error when the
// write fails.
void writeOut(std::ostream& out, std::string_view text);

// Flushes standard output; throws Error "cannot write standard output".
void flushOut(std::ostream& out);

}  // namespace ascent

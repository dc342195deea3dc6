#include "app/command_safety.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "ascent/errors.h"
#include "files/standard_output.h"
#include "report/number_format.h"
#include "report/printf_text.h"
#include "report/summary_text.h"

namespace ascent {

double wholeSettingValue(const std::string& option, const std::string& text) {
  // Decimal digits only: no sign, exponent, fraction or base prefix. Too many
  // digits are a number out of range, not a number that is not one.
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
    throw CLI::ValidationError(option, "'" + text + "' is not a whole number");
  }
  return std::strtod(text.c_str(), nullptr);
}

Quantity settingQuantity(const std::string& option, std::string_view setting,
                         const std::string& text, std::string_view unit, bool whole) {
  Quantity q;
  if (whole) {
    q.value = q.shown = wholeSettingValue(option, text);
    q.bare = true;
  } else {
    readOption(option, [&] { q = readQuantity(text, unit); });
  }
  nameGivenNumber(setting, text, q.bare);
  return q;
}

CLI::Option* namesFile(CLI::Option* option) {
  return option->check(
      CLI::Validator([](const std::string& name) { return fileNameProblem(name); }, ""));
}

CLI::Option* addVehicle(CLI::App* app, std::string& file, const std::string& description) {
  return namesFile(app->add_option("--vehicle", file, description))->type_name("FILE");
}

void addJobs(CLI::App* app, unsigned& jobs) {
  // A number given must be a number of threads: 0 stands for the machine's
  // cores only when none is given.
  app->add_option_function<std::string>(
         "--jobs",
         [&jobs](const std::string& text) {
           jobs = static_cast<unsigned>(wholeSettingValue("--jobs", text));
           if (const SettingProblem problem = settingsProblem(jobsDomain(), jobs);
               !problem.empty()) {
             throw CLI::ValidationError("--jobs", problem.problem);
           }
         },
         "threads (default: the machine's cores)")
      ->type_name("N");
}

void addMinimumPerigee(CLI::App* app, double& minimumPerigee_m) {
  addSetting(app, "--min-perigee", searchSettingsDomain(), "minimum_perigee_m", minimumPerigee_m,
             "an orbit's perigee is at least this (km; or 100km, 100000m)");
}

void addTargetSettings(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--altitude", searchSettingsDomain(), "target_altitude_m",
             settings.targetAltitude_m, "wanted average orbit altitude (km; or 200km, 200000m)");
  addSearchSettings(app, settings);
}

void addSearchSettings(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--tolerance", searchSettingsDomain(), "tolerance_m", settings.tolerance_m,
             "converged within this (km; or 0.1km, 100m)");
  addSetting(app, "--max-missions", searchSettingsDomain(), "max_missions", settings.maxMissions,
             "mission budget");
  addSetting(app, "--first-guess", searchSettingsDomain(), "first_guess_deg",
             settings.firstGuess_deg, "limit of the first mission (deg; or 25deg, 0.5rad)");
  addMinimumPerigee(app, settings.minimumPerigee_m);
}

void addDynamicPressureLimit(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--max-dynamic-pressure", searchSettingsDomain(), "dynamic_pressure_limit_Pa",
             settings.dynamicPressureLimit_Pa,
             "a design's peak dynamic pressure is at most this (Pa; or 28.3kPa, 28300Pa)")
      ->type_name("PA");
}

std::string defaultText(double shown) {
  return std::isinf(shown) ? ", default none" : ", default " + readableText(shown);
}

ProgressLine::ProgressLine(std::ostream& err) : err_(err), shown_(::isatty(STDERR_FILENO) == 1) {}

void ProgressLine::show(std::string_view text) {
  if (shown_) err_ << '\r' << text << std::flush;
}

void ProgressLine::clear() {
  if (shown_) err_ << "\r\033[K" << std::flush;
}

void CommandObserver::longRecordInterval(double interval_s) {
  std::string line;
  longRecordIntervalLine(line, interval_s);
  err_ << line;
}

void CommandObserver::progress(std::size_t done, std::size_t total) {
  if (line_.shown()) line_.show(format("%s: %zu of %zu", what_, done, total));
}

void refuseClashes(const OutputSet& outputs) {
  const std::string clash = outputs.clash();
  if (!clash.empty()) throw InputError({clash});
}

StudyInputs studyInputs(const FlightInputs& inputs) {
  return StudyInputs{inputs.history, inputs.chosen.vehicle, inputs.chosen.path};
}

void writeOut(std::ostream& out, std::string_view text) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  flushOut(out);
}

void flushOut(std::ostream& out) {
  errno = 0;
  out.flush();
  if (!out) {
    // The buffer of the commands' standard output knows why its write failed.
    const auto* buffer = dynamic_cast<const StandardOutputBuffer*>(out.rdbuf());
    const int err = buffer != nullptr && buffer->error() != 0 ? buffer->error()
                    : errno != 0                              ? errno
                                                              : EIO;
    throwSystemError(err, "cannot write", "standard output");
  }
}

}  // namespace ascent

#include "app/command_safety.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "app/mission_output.h"
#include "files/standard_output.h"
#include "mission/number_reader.h"
#include "mission/run_error.h"
#include "report/number_format.h"
#include "report/summary_text.h"
#include "study/thrust_check.h"

namespace ascent {

double shownSettingValue(const std::string& option, const std::string& text, std::string_view what,
                         double lowest, double highest, bool lowestIncluded, bool whole,
                         std::string_view unit, bool highestIncluded) {
  double value = 0;
  if (whole) {
    // Decimal digits only: no sign, exponent, fraction or base prefix. Too
    // many digits are a number out of range, not a number that is not one.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
      throw CLI::ValidationError(option, "'" + text + "' is not a whole number");
    }
    value = std::strtod(text.c_str(), nullptr);
  } else if (!parseReal(text, value)) {
    throw CLI::ValidationError(option, "'" + text + "' is not a number");
  }
  const std::string problem =
      domainProblem(what, value, lowest, highest, lowestIncluded, whole, unit, highestIncluded);
  if (!problem.empty()) throw CLI::ValidationError(option, problem);
  return value;
}

CLI::Option* namesFile(CLI::Option* option) {
  return option->check(
      CLI::Validator([](const std::string& name) { return fileNameProblem(name); }, ""));
}

CLI::Option* addVehicle(CLI::App* app, std::string& file, const std::string& description) {
  return namesFile(app->add_option("--vehicle", file, description))->type_name("FILE");
}

void addJobs(CLI::App* app, unsigned& jobs) {
  addSetting(app, "--jobs", jobsDomain(), "jobs", jobs, "threads (default: the machine's cores)");
}

void addMinimumPerigee(CLI::App* app, double& minimumPerigee_m) {
  addSetting(app, "--min-perigee", searchSettingsDomain(), "min_perigee_m", minimumPerigee_m,
             "an orbit's perigee is at least this (km), default 100");
}

void addTargetSettings(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--altitude", searchSettingsDomain(), "altitude_m", settings.altitude_m,
             "wanted average orbit altitude (km), default 200");
  addSearchSettings(app, settings);
}

void addSearchSettings(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--tolerance", searchSettingsDomain(), "tolerance_m", settings.tolerance_m,
             "converged within this (km), default 0.1");
  addSetting(app, "--max-missions", searchSettingsDomain(), "max_missions", settings.maxMissions,
             "mission budget, default 25");
  addSetting(app, "--first-guess", searchSettingsDomain(), "first_guess_deg",
             settings.firstGuess_deg, "limit of the first mission (deg), default 25");
  addMinimumPerigee(app, settings.minimumPerigee_m);
}

void addDynamicPressureLimit(CLI::App* app, SearchSettings& settings) {
  addSetting(app, "--max-dynamic-pressure", searchSettingsDomain(), "max_dynamic_pressure_Pa",
             settings.dynamicPressureLimit_Pa,
             "a design's peak dynamic pressure is at most this (Pa), default none")
      ->type_name("PA");
}

ProgressLine::ProgressLine(std::ostream& err) : err_(err), shown_(::isatty(STDERR_FILENO) == 1) {}

void ProgressLine::show(std::string_view text) {
  if (shown_) err_ << '\r' << text << std::flush;
}

void ProgressLine::clear() {
  if (shown_) err_ << "\r\033[K" << std::flush;
}

Progress progressOn(ProgressLine& line, const char* what) {
  if (!line.shown()) return {};
  return [&line, what](std::size_t done, std::size_t total) {
    line.show(format("%s: %zu of %zu", what, done, total));
  };
}

void refuseClashes(const OutputSet& outputs) {
  const std::string clash = outputs.clash();
  if (!clash.empty()) throw InputError({clash});
}

std::string vehicleFileName(const ChosenVehicle& chosen) {
  return chosen.path.empty() ? std::string("the default vehicle")
                             : "the vehicle file " + chosen.path;
}

void checkThrustFile(const ThrustHistory& history, const ChosenVehicle& chosen, double turnTime_s,
                     std::ostream& err) {
  const ThrustCheck check = checkThrustHistory(history, chosen.vehicle, turnTime_s);
  if (check.longRecordInterval) {
    std::string line;
    longRecordIntervalLine(line, check.recordInterval_s);
    err << line;
  }
  refuseUnflyable(check, history, vehicleFileName(chosen));
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
    throw Error(err, std::string("cannot write standard output: ") + std::strerror(err));
  }
}

}  // namespace ascent

#include "mission/booster_thrust_file.h"

#include <string>

#include "report/number_format.h"
#include "mission/number_reader.h"
#include "mission/run_error.h"
#include "mission/mission_step.h"

namespace ascent {

namespace {

constexpr int boosters = 2;

double readField(BoosterThrustReader& reader, const char* field) {
  double value = 0;
  std::string token;
  switch (readReal(*reader.file, value, token)) {
    case ReadStatus::Number:
      return value;
    case ReadStatus::EndOfInput:
      throw RunError(errorCode::notANumber, std::string(boosterThrustFileName) + " ends before record " +
                                                std::to_string(reader.recordsRead + 1) +
                                                " (a " + field + " is needed)");
    case ReadStatus::NotANumber:
      break;
  }
  throw RunError(errorCode::notANumber, std::string(boosterThrustFileName) + " record " +
                                            std::to_string(reader.recordsRead + 1) + ": " + field +
                                            " is not a number: " + quoteToken(token));
}

// Reads a time and a thrust and moves to the start of the next line.
void readRecord(BoosterThrustReader& reader) {
  reader.currentTime = readField(reader, "time");
  reader.currentThrust = readField(reader, "thrust");
  skipRestOfLine(*reader.file);
  ++reader.recordsRead;
}

}  // namespace

void openThrustFile(RunContext& run, BoosterThrustReader& reader) {
  reader = BoosterThrustReader{};
  reader.file = run.files.openRead(boosterThrustFileName);
}

void closeThrustFile(BoosterThrustReader& reader) {
  if (reader.file) reader.file->close();
  reader.file.reset();
}

void firstThrustRecord(RunContext& run, BoosterThrustReader& reader) {
  FlightState& s = run.state;
  readRecord(reader);
  s.dt = reader.currentTime;
  s.thrustRate = reader.currentThrust * boosters / s.dt;
  s.mdotRate = -s.thrustRate / boosterExhaustVelocity;
  reader.boosterPropellantUsed = reader.currentThrust * 0.5 * s.dt / boosterExhaustVelocity;
}

void nextThrustRecord(RunContext& run, BoosterThrustReader& reader) {
  FlightState& s = run.state;
  reader.previousTime = reader.currentTime;
  reader.previousThrust = reader.currentThrust;
  readRecord(reader);
  s.dt = reader.currentTime - reader.previousTime;
  if (s.dt > recordIntervalLimit) {
    // A warning only: the flight goes on with the long interval.
    std::string& line = run.line;
    line.assign("Error! Booster time increments must be at most ");
    appendFixed(line, recordInterval, 14, 12);
    line += " seconds\n";
    run.report->write(line);
  }
  s.thrustRate = (reader.currentThrust - reader.previousThrust) * boosters / s.dt;
  s.mdotRate = -s.thrustRate / boosterExhaustVelocity;
  // Trapezoidal rule over the interval, booked as soon as its record is read.
  reader.boosterPropellantUsed = reader.boosterPropellantUsed +
                                 (reader.previousThrust + reader.currentThrust) * 0.5 * s.dt /
                                     boosterExhaustVelocity;
}

void flyThrustRecords(RunContext& run, BoosterThrustReader& reader) {
  FlightState& s = run.state;
  nextThrustRecord(run, reader);
  s.timeLeft = s.timeLeft - s.dt;
  while (s.timeLeft > 0) {
    step(run);
    nextThrustRecord(run, reader);
    s.timeLeft = s.timeLeft - s.dt;
  }
  const double interval = s.dt;
  s.dt = s.dt + s.timeLeft;
  step(run);
  s.dt = interval - s.dt;
}

}  // namespace ascent

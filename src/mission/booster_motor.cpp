#include "mission/booster_motor.h"

#include <string>

#include "ascent/errors.h"
#include "ascent/text.h"
#include "mission/mission_context.h"
#include "mission/mission_step.h"

namespace ascent {

namespace {

// Seconds in the fewest digits that read back as the same double.
std::string seconds(double t) {
  return exactText(t) + " s";
}

}  // namespace

void firstThrustRecord(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  const Boosters& boosters = m.vehicle.boosters;
  ThrustRecord record{};
  if (!reader.source.next(record)) {
    throw Error(errorCode::unusableData, endedReason(reader.source.name(), 1, "time"));
  }
  ++reader.recordsRead;
  reader.currentTime = record.time_s * boosters.time_scale;
  reader.currentThrust = record.thrust_N * boosters.thrust_scale;
  s.dt = reader.currentTime;
  s.thrustRate = reader.currentThrust * boosters.count / s.dt;
  s.mdotRate = -s.thrustRate / boosters.exhaust_velocity_mps;
  reader.boosterPropellantUsed = reader.currentThrust * 0.5 * s.dt / boosters.exhaust_velocity_mps;
}

void nextThrustRecord(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  const Boosters& boosters = m.vehicle.boosters;
  reader.previousTime = reader.currentTime;
  reader.previousThrust = reader.currentThrust;
  ThrustRecord record{};
  const int number = reader.recordsRead + 1;
  if (!reader.source.next(record)) {
    if (reader.turnTime >= 0) {
      throw Error(errorCode::unusableData,
                  "the turn time " + seconds(reader.turnTime) + " ends after the last record of " +
                      reader.source.name() + " (record " + std::to_string(number - 1) + " at " +
                      seconds(reader.previousTime) + ")");
    }
    throw Error(errorCode::unusableData, endedReason(reader.source.name(), number, "time"));
  }
  const double time = record.time_s * boosters.time_scale;
  if (time < reader.previousTime) {
    throw Error(errorCode::unusableData, reader.source.name() + " record " +
                                             std::to_string(number) + ": time " + seconds(time) +
                                             " is earlier than " + seconds(reader.previousTime) +
                                             " of record " + std::to_string(number - 1));
  }
  ++reader.recordsRead;
  reader.currentTime = time;
  reader.currentThrust = record.thrust_N * boosters.thrust_scale;
  s.dt = reader.currentTime - reader.previousTime;
  if (s.dt > m.derived.recordIntervalLimit_s) {
    // A warning only: the flight goes on with the long interval.
    if (m.observer != nullptr) {
      m.observer->event(Event::LongRecordInterval, boosters.record_interval_s);
    }
  }
  s.thrustRate = (reader.currentThrust - reader.previousThrust) * boosters.count / s.dt;
  s.mdotRate = -s.thrustRate / boosters.exhaust_velocity_mps;
  // Trapezoidal rule over the interval, booked as soon as its record is read.
  reader.boosterPropellantUsed =
      reader.boosterPropellantUsed +
      (reader.previousThrust + reader.currentThrust) * 0.5 * s.dt / boosters.exhaust_velocity_mps;
}

double flyThrustRecords(Mission& m, BoosterThrustReader& reader, double timeLeft) {
  FlightState& s = m.s;
  nextThrustRecord(m, reader);
  timeLeft = timeLeft - s.dt;
  while (timeLeft > 0) {
    step(m);
    nextThrustRecord(m, reader);
    timeLeft = timeLeft - s.dt;
  }
  const double interval = s.dt;
  s.dt = s.dt + timeLeft;
  step(m);
  s.dt = interval - s.dt;
  return timeLeft;
}

}  // namespace ascent

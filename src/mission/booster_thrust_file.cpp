#include "mission/booster_thrust_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <string>

#include "mission/mission_context.h"
#include "mission/mission_step.h"
#include "mission/number_reader.h"
#include "mission/run_error.h"

namespace ascent {

namespace {

// One field of a record; false when the text ends before it.
bool readField(InStream& in, const std::string& name, int recordNumber, const char* field,
               double& value) {
  std::string token;
  switch (readReal(in, value, token)) {
    case ReadStatus::Number:
      return true;
    case ReadStatus::EndOfInput:
      return false;
    case ReadStatus::NotANumber:
      break;
  }
  throw RunError(errorCode::notANumber, name + " record " + std::to_string(recordNumber) + ": " +
                                            field + " is not a number: " + quoteToken(token));
}

std::string endedReason(const std::string& name, int recordNumber, const char* field) {
  return name + " ends before record " + std::to_string(recordNumber) + " (a " + field +
         " is needed)";
}

// Seconds in the fewest digits that read back as the same double.
std::string seconds(double t) {
  char digits[32];
  const auto end = std::to_chars(digits, digits + sizeof digits, t).ptr;
  return std::string(digits, end) + " s";
}

}  // namespace

bool readThrustRecord(InStream& in, const std::string& name, int recordNumber,
                      ThrustRecord& record) {
  if (!readField(in, name, recordNumber, "time", record.time_s)) return false;
  if (!readField(in, name, recordNumber, "thrust", record.thrust_N)) {
    throw RunError(errorCode::notANumber, endedReason(name, recordNumber, "thrust"));
  }
  skipRestOfLine(in);
  return true;
}

bool StreamRecordSource::next(ThrustRecord& record) {
  if (!readThrustRecord(in_, name_, recordsRead_ + 1, record)) return false;
  ++recordsRead_;
  return true;
}

bool HistoryRecordSource::next(ThrustRecord& record) {
  const auto& records = history_.records();
  if (next_ < records.size()) {
    record = records[next_++];
    return true;
  }
  if (history_.faultCode() != 0) throw RunError(history_.faultCode(), history_.faultReason());
  return false;
}

ThrustHistory ThrustHistory::fromText(std::string_view text, std::string name) {
  ThrustHistory history;
  history.name_ = std::move(name);
  StringInStream in{std::string(text)};
  try {
    ThrustRecord record{};
    while (readThrustRecord(in, history.name_, static_cast<int>(history.records_.size()) + 1,
                            record)) {
      history.records_.push_back(record);
    }
  } catch (const RunError& error) {
    history.faultCode_ = error.code();
    history.faultReason_ = error.what();
  }
  return history;
}

ThrustHistory ThrustHistory::fromRecords(std::vector<ThrustRecord> records, std::string name) {
  ThrustHistory history;
  history.records_ = std::move(records);
  history.name_ = std::move(name);
  return history;
}

ThrustHistory ThrustHistory::fromFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throwSystemError(errno, "cannot open", path);
  std::string text;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n == 0) break;
    if (errno == EINTR) continue;
    const int err = errno;
    ::close(fd);
    throwSystemError(err, "cannot read", path);
  }
  ::close(fd);
  return fromText(text, path);
}

void firstThrustRecord(Mission& m, BoosterThrustReader& reader) {
  FlightState& s = m.s;
  const Boosters& boosters = m.vehicle.boosters;
  ThrustRecord record{};
  if (!reader.source.next(record)) {
    throw RunError(errorCode::cannotBeFlown, endedReason(reader.source.name(), 1, "time"));
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
      throw RunError(errorCode::cannotBeFlown,
                     "the turn time " + seconds(reader.turnTime) +
                         " ends after the last record of " + reader.source.name() + " (record " +
                         std::to_string(number - 1) + " at " + seconds(reader.previousTime) + ")");
    }
    throw RunError(errorCode::cannotBeFlown, endedReason(reader.source.name(), number, "time"));
  }
  const double time = record.time_s * boosters.time_scale;
  if (time < reader.previousTime) {
    throw RunError(errorCode::cannotBeFlown,
                   reader.source.name() + " record " + std::to_string(number) + ": time " +
                       seconds(time) + " is earlier than " + seconds(reader.previousTime) +
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

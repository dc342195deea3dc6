// The booster thrust file "s1.dat": one record per line, the mission time (s)
// and the vacuum thrust of ONE booster (N) at that time; the thrust is 0 at
// time 0 and varies linearly between records. Each record read turns into the
// thrust and flow rates of both boosters for the interval that ends at it.
//
// The vehicle's pitch kicks last one record interval (the vehicle's
// boosters.record_interval_s): a history sampled at another interval flies a
// different mission, and longer intervals are flagged as they are read. The
// vehicle's thrust and time scales apply to every record as it is read.
#pragma once

#include <string>

#include "ascent/ascent.h"
#include "mission/text_input.h"

namespace ascent {

struct Mission;

constexpr const char* boosterThrustFileName = "s1.dat";

// Where the records of a mission come from, one at a time: the dialogue reads
// the file as the flight needs it, a ThrustHistory hands out what it parsed.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next record; false when the records have ended. Throws RunError for a
  // record that cannot be read.
  virtual bool next(ThrustRecord& record) = 0;
  virtual const std::string& name() const = 0;
};

// Reads one record (a time and a thrust, then the rest of the line) from a
// text; false when the text ends before the time. `recordNumber` (from 1)
// names the record in the error of a field that is not a number.
bool readThrustRecord(InStream& in, const std::string& name, int recordNumber,
                      ThrustRecord& record);

// Records read from a text stream as they are needed.
class StreamRecordSource final : public RecordSource {
 public:
  StreamRecordSource(InStream& in, std::string name) : in_(in), name_(std::move(name)) {}
  bool next(ThrustRecord& record) override;
  const std::string& name() const override { return name_; }

 private:
  InStream& in_;
  std::string name_;
  int recordsRead_ = 0;
};

// Records of a parsed history; its fault, if any, comes after the last one.
class HistoryRecordSource final : public RecordSource {
 public:
  explicit HistoryRecordSource(const ThrustHistory& history) : history_(history) {}
  bool next(ThrustRecord& record) override;
  const std::string& name() const override { return history_.name(); }

 private:
  const ThrustHistory& history_;
  std::size_t next_ = 0;
};

// The records of one mission as the booster phase uses them.
struct BoosterThrustReader {
  explicit BoosterThrustReader(RecordSource& source) : source(source) {}
  RecordSource& source;
  int recordsRead = 0;
  double currentTime = 0;            // s, the record read last
  double currentThrust = 0;          // N
  double previousTime = 0;           // s, the record before it (0 s, 0 N before the first)
  double previousThrust = 0;         // N
  double boosterPropellantUsed = 0;  // kg, burned by one booster up to currentTime
  double turnTime = -1;              // s, while the turn is held: names it when the records end
};

// Reads the first record: dt is its time, the rates ramp both boosters from 0.
void firstThrustRecord(Mission& m, BoosterThrustReader& reader);

// Reads the next record: dt is the interval to it, the rates those of the
// interval. A record earlier than the one before it is a run-time error.
void nextThrustRecord(Mission& m, BoosterThrustReader& reader);

// Flies `timeLeft` (s) with one step per record, the last step cut at the
// requested time. Entered at currentTime; leaves in s.dt the unflown part of
// the current interval and returns the time left minus that part.
double flyThrustRecords(Mission& m, BoosterThrustReader& reader, double timeLeft);

}  // namespace ascent

// The booster thrust file "s1.dat" as text: one record per line, the
// mission time (s) and the vacuum thrust of ONE booster (N) at that time,
// anything after them on the line ignored; and the sources a mission takes its
// records from, one at a time.
#pragma once

#include <string>

#include "ascent/ascent.h"
#include "mission/text_input.h"

namespace ascent {

constexpr const char* boosterThrustFileName = "s1.dat";
// Where the records of a mission come from, one at a time: the dialogue reads
// the file as the flight needs it, a ThrustHistory hands out what it parsed.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next record; false when the records have ended. Throws Error for a
  // record that cannot be read.
  virtual bool next(ThrustRecord& record) = 0;
  virtual const std::string& name() const = 0;
};

// Reads one record (a time and a thrust, then the rest of the line) from a
// text; false when the text ends before the time. `recordNumber` (from 1)
// names the record in the error of a field that is not a number.
bool readThrustRecord(InStream& in, const std::string& name, int recordNumber,
                      ThrustRecord& record);

// "NAME ends before record N (a FIELD is needed)".
std::string endedReason(const std::string& name, int recordNumber, const char* field);

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

}  // namespace ascent

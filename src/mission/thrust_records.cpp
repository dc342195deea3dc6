#include "mission/thrust_records.h"

#include <string>

#include "ascent/errors.h"
#include "mission/number_reader.h"

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
  throw Error(errorCode::unusableData, name + " record " + std::to_string(recordNumber) + ": " +
                                           field + " is not a number: " + quoteToken(token));
}

}  // namespace

std::string endedReason(const std::string& name, int recordNumber, const char* field) {
  return name + " ends before record " + std::to_string(recordNumber) + " (a " + field +
         " is needed)";
}

bool readThrustRecord(InStream& in, const std::string& name, int recordNumber,
                      ThrustRecord& record) {
  if (!readField(in, name, recordNumber, "time", record.time_s)) return false;
  if (!readField(in, name, recordNumber, "thrust", record.thrust_N)) {
    throw Error(errorCode::unusableData, endedReason(name, recordNumber, "thrust"));
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
  if (history_.faultCode() != 0) throw Error(history_.faultCode(), history_.faultReason());
  return false;
}

}  // namespace ascent

// A thrust history read whole: from a file or from text in memory, or given as records.
#include <string>

#include "mission/input_file.h"
#include "mission/thrust_records.h"

namespace ascent {

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
  } catch (const Error& error) {
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
  std::string text;
  try {
    text = readInputFile(path);
  } catch (const Error& error) {
    throw ThrustFileError(error.code(), error.what(), path);
  }
  return fromText(text, path);
}

}  // namespace ascent

// The report of a run: the observer of its missions that writes the table
// heading, a row per step (and the data-file lines), the event lines, the
// echoed answers and each mission's summary, byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "ascent/ascent.h"
#include "report/streams.h"
#include "report/summary_text.h"
#include "report/table.h"

namespace ascent {

struct ReportSettings {
  // With a report file: data files, echoed answers and the run's peaks in
  // the summary. Without (the report on the screen), none of them.
  bool reportFile = false;
  Signs signs;
};

class ReportWriter : public MissionObserver {
 public:
  // `data` names the four data files when the report is a file.
  ReportWriter(OutStream& report, const DataFiles& data, ReportSettings settings);

  void writeHeading();
  // An answer as the report file records it after its prompt.
  void echoAnswer(std::string_view prompt, double value);
  void refuseTurnTime();

  void padRow(const StepRow& row) override;
  void step(const StepRow& row) override;
  void event(Event e, double value) override;
  void finished(const MissionResult& result) override;

 private:
  void line(std::string_view text);

  OutStream& report_;
  DataFiles data_;
  ReportSettings settings_;
  std::string line_;  // scratch for one line, reused so that a step allocates nothing
};

}  // namespace ascent

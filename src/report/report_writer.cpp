#include "report/report_writer.h"

#include "report/interrupt_flag.h"
#include "report/number_format.h"

namespace ascent {

ReportWriter::ReportWriter(OutStream& report, const DataFiles& data, ReportSettings settings)
    : report_(report), data_(data), settings_(std::move(settings)) {}

void ReportWriter::writeHeading() {
  writeTableHeading(report_, settings_.signs.squared);
}

void ReportWriter::echoAnswer(std::string_view prompt, double value) {
  if (!settings_.reportFile) return;
  line_.assign(prompt);
  appendFixed(line_, value, 6, 3);
  line_ += '\n';
  report_.write(line_);
}

void ReportWriter::refuseTurnTime() {
  report_.write("Error! Turn time must be greater than one second.\n");
}

// An interrupt is taken between rows, after a step's row and its data lines,
// so that the report and the data files always hold the same steps.
void ReportWriter::padRow(const StepRow& row) {
  writeTableRow(report_, row);
  checkInterrupt();
}

void ReportWriter::step(const StepRow& row) {
  if (settings_.reportFile) {
    writeRowAndDataLines(report_, data_, row);
  } else {
    writeTableRow(report_, row);
  }
  checkInterrupt();
}

void ReportWriter::line(std::string_view text) {
  report_.write(text);
  report_.write("\n");
}

void ReportWriter::event(Event e, double value) {
  switch (e) {
    case Event::LongRecordInterval:
      longRecordIntervalLine(line_, value);
      report_.write(line_);
      break;
    case Event::PitchOver:
      line("Pitch over!");
      break;
    case Event::EndTurn:
      line("End turn.");
      break;
    case Event::BoosterSeparation:
      line_.assign("Booster seperation! Residual booster propellant = ");
      appendFixed(line_, value, 1, 0);
      line_ += " kg.\n";
      report_.write(line_);
      break;
    case Event::SajAndLasJettison:
      line("SAJ and LAS Jettison!");
      break;
    case Event::CoreCutoff:
      line("Core Engine Cutoff!");
      break;
    case Event::CoreSeparation:
      line_.assign("Core Separation! Vacuum and zero gravity delta-V = ");
      appendFixed(line_, value, 1, 0);
      line_ += " m/s\n";
      report_.write(line_);
      break;
    case Event::UpperStageIgnition:
      line("Upper Stage Ignition!");
      break;
    case Event::UpperStageMainstage:
      line("Upper Stage Mainstage!");
      break;
    case Event::UllageJettison:
      line("Ullage motor jettison!");
      break;
    case Event::UpperStageCutoff:
      line("Upper Stage Engine Cutoff!");
      break;
    case Event::Abandoned:
      line("Error! Orbit not reached, mission abandoned.");
      break;
  }
}

void ReportWriter::finished(const MissionResult& result) {
  if (result.outcome != Outcome::Orbit) return;
  writeSummary(report_, result, settings_.signs, settings_.reportFile, line_);
}

}  // namespace ascent

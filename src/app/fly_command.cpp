// ascent fly: one mission, its summary in words or as JSON, and optionally
// its trajectory as CSV.
#include <exception>
#include <memory>
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "ascent/writers.h"
#include "report/flight_text.h"
#include "report/summary_text.h"

namespace ascent {

namespace {

// One CSV row per integration step, the pad row first, into the trajectory
// file (when there is one); the long-record-interval warning to standard
// error. A failed write is kept for close(): an exception from the observer
// would be taken for the mission's own failure.
class FlyObserver final : public MissionObserver {
 public:
  FlyObserver(OutputFile* trajectory, std::ostream& err) : file_(trajectory), err_(err) {
    if (file_ != nullptr) buffer_ = csvHeader(trajectorySchema());
  }
  void padRow(const StepRow& row) override { step(row); }
  void step(const StepRow& row) override {
    if (file_ == nullptr) return;
    appendCsvLine(buffer_, trajectorySchema(), row);
    if (buffer_.size() >= (1 << 16)) flush();
  }
  void event(Event event, double value) override {
    if (event != Event::LongRecordInterval || warned_) return;
    warned_ = true;
    std::string line;
    longRecordIntervalLine(line, value);
    err_ << line;
  }
  // Writes the rest and renames the file into place.
  void close() {
    flush();
    if (failure_) std::rethrow_exception(failure_);
    if (file_ != nullptr) file_->commit();
  }

 private:
  void flush() {
    if (file_ == nullptr || failure_) return;
    try {
      file_->write(buffer_);
    } catch (...) {
      failure_ = std::current_exception();
    }
    buffer_.clear();
  }
  OutputFile* file_;
  std::ostream& err_;
  std::string buffer_;
  std::exception_ptr failure_;
  bool warned_ = false;
};

}  // namespace

int runFlyCommand(const FlyCommand& command, std::ostream& out, std::ostream& err) {
  const ThrustOption thrust = chooseThrustFile(command.thrust, err);
  OutputSet files;
  addFlightInputs(files, thrust.file, command.vehicleFile);
  if (!command.trajectoryFile.empty()) files.output(command.trajectoryFile, "the trajectory file");
  files.standardOutput();
  refuseClashes(files);
  const FlightInputs inputs = readFlightInputs(thrust, command.vehicleFile, err);
  std::unique_ptr<OutputFile> trajectory;
  if (!command.trajectoryFile.empty()) {
    trajectory = std::make_unique<OutputFile>(command.trajectoryFile);
  }
  FlyObserver observer(trajectory.get(), err);
  const FlownMission flight = runFly(studyInputs(inputs), command.settings, &observer);
  observer.close();
  writeOut(out, command.json ? jsonText(flightValue(flight, inputs.chosen.vehicle)) + '\n'
                             : vehicleLine(inputs.chosen) + flightSummaryText(flight));
  return classifyFlight(flight.result, flight.minimumPerigee_m) == FlightClass::Orbit
             ? exitStatus::ok
             : exitStatus::noDesign;
}

}  // namespace ascent

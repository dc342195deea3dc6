// ascent fly: one mission, its summary in words or as JSON, and optionally
// its trajectory as CSV.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/mission_output.h"
#include "mission/run_error.h"
#include "physics/constants.h"
#include "report/number_format.h"
#include "report/summary_text.h"
#include "study/thrust_check.h"

namespace ascent {

namespace {

// One CSV row per integration step, the pad row first, into the trajectory
// file (when there is one); the long-record-interval warning to standard
// error. A failed write is kept for close(): an exception from the observer
// would be taken for the mission's own failure.
class FlyObserver final : public MissionObserver {
 public:
  FlyObserver(OutputFile* trajectory, std::ostream& err) : file_(trajectory), err_(err) {
    if (file_ == nullptr) return;
    buffer_ =
        "time_s,speed_mps,altitude_km,downrange_km,thrust_acceleration_mps2,"
        "dynamic_pressure_kPa,angle_of_attack_deg,inertial_flight_path_deg,"
        "air_flight_path_deg,mass_kg\n";
  }
  void padRow(const StepRow& row) override { step(row); }
  void step(const StepRow& row) override {
    if (file_ == nullptr) return;
    std::size_t field = 0;
    for (double value : {row.t_s, row.vi_mps, row.h_m / 1000, row.range_m / 1000, row.a_mps2,
                         row.q_Pa / 1000, toDegrees(row.alpha_rad), toDegrees(row.beta_rad),
                         toDegrees(row.theta_rad), row.mass_kg}) {
      if (field++ > 0) buffer_ += ',';
      buffer_ += exactText(value);
    }
    buffer_ += '\n';
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

std::string summary(const MissionResult& r, double minimumPerigee_m) {
  std::string out = format("Turn time %s s, maximum angle of attack %s deg: %s\n",
                           exactText(r.turnTime_s).c_str(), exactText(r.limitDeg).c_str(),
                           flightText(r, minimumPerigee_m).c_str());
  if (r.outcome != Outcome::Orbit) return out;
  // An escape has no perigee or apogee to speak of.
  if (classifyFlight(r, minimumPerigee_m) != FlightClass::Escape) {
    out += format("Perigee %.1f km, apogee %.1f km, average altitude %.3f km\n", r.perigee_m / 1000,
                  r.apogee_m / 1000, r.averageAltitude_m / 1000);
  }
  out += format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg\n",
                r.remainingPropellant_kg, r.sizing.SC_M);
  out += format(
      "Maximum dynamic pressure %.2f kPa at %.2f s, maximum acceleration %.2f m/s^2 at %.2f s\n",
      r.missionPeaks.maxQ_Pa / 1000, r.missionPeaks.maxQTime_s, r.missionPeaks.maxAccel_mps2,
      r.missionPeaks.maxAccelTime_s);
  out += format("Maximum force %.0f N at %.2f s, recommended limit %.4f deg\n", r.maxForce_N,
                r.maxForceTime_s, r.recommendedLimitDeg);
  return out;
}

}  // namespace

int runFlyCommand(const FlyCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  addFlightInputs(files, command.thrustFile, command.vehicleFile);
  if (!command.trajectoryFile.empty()) files.output(command.trajectoryFile, "the trajectory file");
  files.standardOutput();
  refuseClashes(files);
  const FlightInputs inputs = readFlightInputs(command.thrustFile, command.vehicleFile);
  const ChosenVehicle& chosen = inputs.chosen;
  const ThrustHistory& history = inputs.history;
  std::unique_ptr<OutputFile> trajectory;
  if (!command.trajectoryFile.empty()) {
    trajectory = std::make_unique<OutputFile>(command.trajectoryFile);
  }
  FlyObserver observer(trajectory.get(), err);
  RunRecord run;
  const MissionResult result =
      flyMission(history, chosen.vehicle, command.turnTime_s, command.limitDeg, run, &observer);
  if (failedForThrustFile(result)) {
    throw Error(errorCode::cannotBeFlown, "cannot fly the thrust file: " + result.failureReason);
  }
  observer.close();
  const double minimumPerigee_m = command.minimumPerigee_m;
  if (command.json) {
    nlohmann::ordered_json json = missionJson(result, command.thrustFile, minimumPerigee_m);
    json["vehicle"] = vehicleJson(chosen.vehicle);
    writeOut(out, jsonText(json) + '\n');
  } else {
    writeOut(out, vehicleLine(chosen) + summary(result, minimumPerigee_m));
  }
  return classifyFlight(result, minimumPerigee_m) == FlightClass::Orbit ? exitStatus::ok
                                                                        : exitStatus::noOrbit;
}

}  // namespace ascent

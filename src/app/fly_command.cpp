// ascent fly: one mission, its summary in words or as JSON, and optionally
// its trajectory as CSV.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/commands.h"
#include "app/mission_output.h"
#include "physics/constants.h"

namespace ascent {

namespace {

// One CSV row per integration step, the pad row first. A failed write is
// kept for close(): an exception from the observer would be taken for the
// mission's own failure.
class TrajectoryWriter final : public MissionObserver {
 public:
  explicit TrajectoryWriter(const std::string& name) : name_(name) {
    errno = 0;
    file_.reset(std::fopen(name.c_str(), "wb"));
    if (!file_) throwFileError("cannot create", name);
    write(
        "time_s,speed_mps,altitude_km,downrange_km,thrust_acceleration_mps2,"
        "dynamic_pressure_kPa,angle_of_attack_deg,inertial_flight_path_deg,"
        "air_flight_path_deg,mass_kg\n");
  }
  void padRow(const StepRow& row) override { step(row); }
  void step(const StepRow& row) override {
    line_.clear();
    for (double value : {row.t_s, row.vi_mps, row.h_m / 1000, row.range_m / 1000, row.a_mps2,
                         row.q_Pa / 1000, toDegrees(row.alpha_rad), toDegrees(row.beta_rad),
                         toDegrees(row.theta_rad), row.mass_kg}) {
      if (!line_.empty()) line_ += ',';
      line_ += exactText(value);
    }
    line_ += '\n';
    write(line_);
  }
  void close() {
    if (writeError_ == 0) {
      errno = 0;
      if (std::fclose(file_.release()) != 0) writeError_ = errno != 0 ? errno : 5;
    }
    if (writeError_ != 0) {
      errno = writeError_;
      throwFileError("cannot write", name_);
    }
  }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  void write(const std::string& text) {
    if (writeError_ != 0) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) {
      writeError_ = errno != 0 ? errno : 5;
    }
  }
  std::string name_;
  int writeError_ = 0;
  std::unique_ptr<std::FILE, Closer> file_;
  std::string line_;
};

void printSummary(const MissionResult& r, std::ostream& out) {
  out << format("Turn time %s s, maximum angle of attack %s deg: %s\n",
                exactText(r.turnTime_s).c_str(), exactText(r.limitDeg).c_str(),
                outcomeText(r).c_str());
  if (r.outcome != Outcome::Orbit) return;
  out << format("Perigee %.1f km, apogee %.1f km, average altitude %.3f km\n", r.perigee_m / 1000,
                r.apogee_m / 1000, r.averageAltitude_m / 1000);
  out << format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg\n",
                r.remainingPropellant_kg, r.sizing.SC_M);
  out << format(
      "Maximum dynamic pressure %.2f kPa at %.2f s, maximum acceleration %.2f m/s^2 at %.2f s\n",
      r.missionPeaks.maxQ_Pa / 1000, r.missionPeaks.maxQTime_s, r.missionPeaks.maxAccel_mps2,
      r.missionPeaks.maxAccelTime_s);
  out << format("Maximum force %.0f N at %.2f s, recommended limit %.4f deg\n", r.maxForce_N,
                r.maxForceTime_s, r.recommendedLimitDeg);
}

}  // namespace

int runFlyCommand(const FlyCommand& command, std::ostream& out) {
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile);
  const ThrustHistory history = ThrustHistory::fromFile(command.thrustFile);
  checkLiftOff(chosen, history);
  std::unique_ptr<TrajectoryWriter> trajectory;
  if (!command.trajectoryFile.empty()) {
    trajectory = std::make_unique<TrajectoryWriter>(command.trajectoryFile);
  }
  RunRecord run;
  const MissionResult result = flyMission(history, chosen.vehicle, command.turnTime_s,
                                          command.limitDeg, run, trajectory.get());
  if (trajectory) trajectory->close();
  if (command.json) {
    nlohmann::ordered_json json = missionJson(result, command.thrustFile);
    json["vehicle"] = vehicleJson(chosen.vehicle);
    out << jsonText(json) << '\n';
  } else {
    out << vehicleLine(chosen);
    printSummary(result, out);
  }
  return exitStatus::ok;
}

}  // namespace ascent

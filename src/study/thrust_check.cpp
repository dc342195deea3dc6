#include "study/thrust_check.h"

#include <cstdio>

#include "ascent/errors.h"
#include "physics/constants.h"

namespace ascent {

namespace {

// Notes the warning and ends the mission once the boosters are gone: the
// rest of the flight reads no thrust record.
class BoosterPhaseObserver final : public MissionObserver {
 public:
  struct Done {};
  void event(Event event, double value) override {
    if (event == Event::LongRecordInterval && !check.longRecordInterval) {
      check.longRecordInterval = true;
      check.recordInterval_s = value;
    }
    if (event == Event::BoosterSeparation) throw Done{};
  }
  ThrustCheck check;
};

std::string boosterPhaseProblem(const ThrustHistory& history, const Vehicle& vehicle,
                                double turnTime_s, BoosterPhaseObserver& observer) {
  RunRecord run;
  FlyOptions options;
  options.throwFailures = true;
  try {
    flyMission(history, vehicle, turnTime_s, 0, run, &observer, options);
  } catch (const BoosterPhaseObserver::Done&) {
  } catch (const Error& error) {
    if (error.code() == errorCode::unusableData) return error.what();
  }
  return {};
}

bool defaultVehicleFlies(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s) {
  if (vehicle == Vehicle::defaults()) return false;
  BoosterPhaseObserver observer;
  return boosterPhaseProblem(history, Vehicle::defaults(), turnTime_s, observer).empty();
}

// The booster phase words its failures as the history's ("s1.dat cannot be
// flown: ...", "the thrust records cannot be flown: ..."); for a vehicle at
// fault only what happened is kept.
std::string_view withoutBlame(std::string_view problem, const std::string& historyName) {
  for (const std::string& blame :
       {historyName + " cannot be flown: ", std::string("the thrust records cannot be flown: ")}) {
    if (problem.starts_with(blame)) return problem.substr(blame.size());
  }
  return problem;
}

}  // namespace

bool failedForThrustFile(const MissionResult& result) {
  return result.outcome == Outcome::Failed && result.failureCode == errorCode::unusableData;
}

ThrustCheck checkThrustHistory(const ThrustHistory& history, const Vehicle& vehicle,
                               double turnTime_s) {
  BoosterPhaseObserver observer;
  observer.check.problem = boosterPhaseProblem(history, vehicle, turnTime_s, observer);
  if (!observer.check.problem.empty()) {
    observer.check.vehicleAtFault = defaultVehicleFlies(history, vehicle, turnTime_s);
  }
  return observer.check;
}

void refuseUnflyable(const ThrustCheck& check, const ThrustHistory& history,
                     std::string_view vehicleName) {
  if (check.problem.empty()) return;
  if (check.vehicleAtFault) {
    throw VehicleError("cannot fly " + std::string(vehicleName) + ": " +
                       std::string(withoutBlame(check.problem, history.name())) +
                       " (the default vehicle flies " + history.name() + ")");
  }
  throw ThrustFileError(errorCode::unusableData, "cannot fly the thrust file: " + check.problem,
                        history.name());
}

void requireFlyable(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                    std::string_view vehicleName) {
  refuseUnflyable(checkThrustHistory(history, vehicle, turnTime_s), history, vehicleName);
}

void refuseFailedMission(const MissionResult& result, const ThrustHistory& history,
                         const Vehicle& vehicle, std::string_view vehicleName) {
  if (!failedForThrustFile(result)) return;
  ThrustCheck check;
  check.problem = result.failureReason;
  check.vehicleAtFault = defaultVehicleFlies(history, vehicle, result.turnTime_s);
  refuseUnflyable(check, history, vehicleName);
}

void refuseGrounded(const StudyInputs& inputs) {
  const Vehicle& v = inputs.vehicle;
  if (inputs.history.records().empty() || v == Vehicle::defaults()) return;
  // At the first record the boosters give their first thrust and the core its
  // own; the vehicle stands on the pad until their sea-level sum passes its
  // weight. Propellant burned before then is neglected: a vehicle refused here
  // could not lift off at the first record even with it.
  const ThrustRecord& first = inputs.history.records().front();
  const double exitArea =
      pi * v.boosters.count * v.boosters.exit_diameter_squared_m2 / 4 + v.core.exit_area_m2;
  const double thrust_N = v.core.thrust_N +
                          v.boosters.count * first.thrust_N * v.boosters.thrust_scale -
                          exitArea * seaLevelPressure;
  const double mass_kg = v.loads.carried_mass_kg + v.core.inert_mass_kg + v.core.propellant_kg +
                         v.boosters.count * (v.boosters.inert_mass_kg + v.boosters.propellant_kg);
  const double weight_N = mass_kg * surfaceGravity;
  if (thrust_N > weight_N) return;
  char text[512];
  std::snprintf(text, sizeof text,
                " with %s cannot leave the pad: its sea-level thrust at the first record (%.6g s) "
                "is %.0f N, below its weight of %.0f N",
                inputs.history.name().c_str(), first.time_s * v.boosters.time_scale, thrust_N,
                weight_N);
  throw InputError(
      {(inputs.vehicleFile.empty() ? std::string("the vehicle") : inputs.vehicleFile) + text});
}

}  // namespace ascent

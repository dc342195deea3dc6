// A flown mission and a targeted turn time as every door shows them: the
// fields of each (their names, units, types and null rules), the value tree
// that `fly --json`, `target --json` and the Python module's to_dict() all
// give, the trajectory's columns, and the settings of a flight with their
// domains. The command line and the Python module both fly through
// flyFlight() and targetOrbit(), so they refuse the same settings in the
// same words and show the same numbers under the same names.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "ascent/ascent.h"
#include "ascent/schema.h"
#include "ascent/study.h"

namespace ascent {

// A mission flown, with what its result is read against.
struct FlownMission {
  MissionResult result;
  std::string thrustFile;  // the thrust history's name: its file as given
  // An orbit whose perigee is below it is suborbital.
  double minimumPerigee_m = defaultMinimumPerigee_m;
};

// The fields of a flown mission in the order every writer writes them:
// program, version, thrust file, inputs, the outcome (the flight class:
// orbit, suborbital, escape, abandoned or failed) and its reasons, the orbit,
// the loads, the peaks (objects of peaksSchema), the re-sized upper stage
// (an object of sizingSchema) and the recommendation.
Schema<FlownMission> flightSchema();
Schema<Peaks> peaksSchema();
Schema<UpperStageSizing> sizingSchema();

// A flown mission's object: every field of flightSchema (the missions of
// `target --json`).
Value missionValue(const FlownMission& flight);
// The vehicle flown: "changes", the keys that differ from the defaults, each
// with its "default" and its "value" ("changed" for the drag table), and
// "hash", vehicleHash(). The same for the default vehicle and a file that
// describes it.
Value vehicleValue(const Vehicle& vehicle);
// What `fly --json` prints: the mission's object and its "vehicle".
Value flightValue(const FlownMission& flight, const Vehicle& vehicle);

// The trajectory: one row per integration step, the pad row first, in SI
// (angles in degrees).
Schema<StepRow> trajectorySchema();

// What one flight is flown with.
struct FlySettings {
  double turnTime_s = 0;  // the gravity turn is held this long
  double limit_deg = 0;   // the maximum angle of attack of the core and upper stages
  double minimumPerigee_m = defaultMinimumPerigee_m;  // below it: suborbital
};
// The domain of every number of FlySettings: turn_time_s, limit_deg,
// min_perigee_m.
std::span<const SettingDomain<FlySettings>> flySettingsDomain();
// The first number of `settings` outside its domain ("the maximum angle of
// attack 91 deg is outside 0 to 90 deg"); empty when every one is inside.
std::string settingsProblem(const FlySettings& settings);

// Flies one mission as the first of a run of its own, the thrust history's
// name as its thrust file. Throws std::invalid_argument with settingsProblem
// for settings outside their domain; a mission that cannot be flown is its
// Failed outcome.
FlownMission flyFlight(const ThrustHistory& history, const Vehicle& vehicle,
                       const FlySettings& settings, MissionObserver* observer = nullptr);

// A targeted turn time with what it was searched for.
struct TargetResult {
  TargetRun run;
  SearchSettings settings;
  std::string thrustFile;  // the thrust history's name
};
// The fields of a targeted turn time: the verdict, the settings, the limit
// found, the highest and flat altitudes, the answer's mission and every
// mission flown (objects of flightSchema).
Schema<TargetResult> targetSchema();
// targetTurnTime with the history's name as the thrust file; throws
// std::invalid_argument as it does, and before any mission ThrustFileError
// or VehicleError when the history or the vehicle's values cannot be flown
// at the turn time (as the command line refuses them).
TargetResult targetOrbit(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& settings);
// What `target --json` prints: every field of targetSchema, "constraints"
// when any is set (addConstraints) and the "vehicle".
Value targetValue(const TargetResult& target, const Vehicle& vehicle);

// Adds "constraints" {"max_dynamic_pressure_Pa": the limit} to a result's
// object when the settings limit the peak dynamic pressure; nothing when
// they set no constraint.
void addConstraints(Value& value, const SearchSettings& settings);

}  // namespace ascent

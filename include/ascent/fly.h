// The fly study: one mission flown as the first of a run of its own, the
// same numbers the dialogue's first mission with this turn time and limit
// gives. Its result is the mission with what it is read against; its schema
// is the object of `fly --json`, of Python's Flight.to_dict(), and of every
// mission a study's result shows.
#pragma once

#include <span>
#include <string>

#include "ascent/study.h"

namespace ascent {

// What one flight is flown with.
struct FlySettings {
  double turnTime_s = 0;  // the gravity turn is held this long
  double limit_deg = 0;   // the maximum angle of attack of the core and upper stages
  double minimumPerigee_m = defaultMinimumPerigee_m;  // below it: suborbital
};
// The domain of every number of FlySettings: turn_time_s, limit_deg,
// minimum_perigee_m.
std::span<const SettingDomain<FlySettings>> flySettingsDomain();
SettingProblem settingsProblem(const FlySettings& settings);

// A mission flown, with what its result is read against.
struct FlownMission {
  MissionResult result;
  std::string thrustFile;  // the thrust history's name: its file as given
  // An orbit whose perigee is below it is suborbital.
  double minimumPerigee_m = defaultMinimumPerigee_m;
};

// Flies one mission; `trajectory` (may be null) sees every step. Throws
// InputError for settings outside their domain, before the mission; a
// mission that fails for its thrust records or the vehicle's values throws
// ThrustFileError or VehicleError as every study refuses them; any other
// failure is the mission's Failed outcome.
FlownMission runFly(const StudyInputs& inputs, const FlySettings& settings,
                    MissionObserver* trajectory = nullptr);

// The fields of a flown mission in the order every writer writes them:
// program, version, thrust file, inputs, the outcome (the flight class) and
// its reasons, the orbit, the loads, the peaks (objects of peaksSchema), the
// re-sized upper stage (an object of sizingSchema) and the recommendation.
Schema<FlownMission> flightSchema();
Schema<Peaks> peaksSchema();
Schema<UpperStageSizing> sizingSchema();

// A flown mission's object: every field of flightSchema (the missions of
// the studies' results).
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

}  // namespace ascent

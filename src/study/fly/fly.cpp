// The fly study's settings and its run (ascent/fly.h).
#include "ascent/fly.h"

#include "study/thrust_check.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<FlySettings> flyDomain[] = {
    {"turn_time_s", "the turn time", [](const FlySettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"limit_deg", "the maximum angle of attack", [](const FlySettings& s) { return s.limit_deg; },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    {"minimum_perigee_m", "the minimum perigee",
     [](const FlySettings& s) { return s.minimumPerigee_m; }, 0, 1e8, true, false, "km", 1e3},
};
// clang-format on

}  // namespace

std::span<const SettingDomain<FlySettings>> flySettingsDomain() {
  return flyDomain;
}

SettingProblem settingsProblem(const FlySettings& settings) {
  return settingsProblem(flySettingsDomain(), settings);
}

FlownMission runFly(const StudyInputs& inputs, const FlySettings& settings,
                    MissionObserver* trajectory) {
  refuseSetting(settingsProblem(settings));
  refuseGrounded(inputs);
  // The mission itself finds a fault of the thrust records where the
  // dialogue does: flown once, and refused only if it failed for them.
  FlownMission flight;
  RunRecord run;
  flight.result = flyMission(inputs.history, inputs.vehicle, settings.turnTime_s,
                             settings.limit_deg, run, trajectory);
  flight.thrustFile = inputs.history.name();
  flight.minimumPerigee_m = settings.minimumPerigee_m;
  refuseFailedMission(flight.result, inputs.history, inputs.vehicle, inputs.vehicleName());
  return flight;
}

}  // namespace ascent

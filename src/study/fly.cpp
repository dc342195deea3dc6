// One flight flown with its settings checked (ascent/results.h).
#include <stdexcept>

#include "ascent/results.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<FlySettings> flyDomain[] = {
    {"turn_time_s", "the turn time", [](const FlySettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"limit_deg", "the maximum angle of attack", [](const FlySettings& s) { return s.limit_deg; },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    {"min_perigee_m", "the minimum perigee",
     [](const FlySettings& s) { return s.minimumPerigee_m; }, 0, 1e8, true, false, "km", 1e3},
};
// clang-format on

}  // namespace

std::span<const SettingDomain<FlySettings>> flySettingsDomain() {
  return flyDomain;
}

std::string settingsProblem(const FlySettings& settings) {
  return settingsProblem(flySettingsDomain(), settings);
}

FlownMission flyFlight(const ThrustHistory& history, const Vehicle& vehicle,
                       const FlySettings& settings, MissionObserver* observer) {
  if (std::string problem = settingsProblem(settings); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  FlownMission flight;
  RunRecord run;
  flight.result =
      flyMission(history, vehicle, settings.turnTime_s, settings.limit_deg, run, observer);
  flight.thrustFile = history.name();
  flight.minimumPerigee_m = settings.minimumPerigee_m;
  return flight;
}

}  // namespace ascent

// Flies one mission through the public API alone: a booster thrust history,
// turn time 18 s, angle-of-attack limit 24.06 degrees, no observer, by the
// default vehicle or by the one a vehicle file describes. Prints the orbit
// reached and the upper stage's remaining propellant.
//
//   fly_one [thrust history, default s1.dat] [vehicle file]
#include <ascent/ascent.h>
#include <ascent/files.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "s1.dat";
  constexpr double turnTime_s = 18.0;
  constexpr double limit_deg = 24.06;
  try {
    const ascent::ThrustHistory history = ascent::ThrustHistory::fromFile(path);
    const ascent::Vehicle vehicle =
        argc > 2 ? ascent::readVehicleFile(argv[2]).vehicle : ascent::Vehicle::defaults();
    ascent::RunRecord run;
    const ascent::MissionResult result =
        ascent::flyMission(history, vehicle, turnTime_s, limit_deg, run);
    switch (result.outcome) {
      case ascent::Outcome::Orbit:
        std::printf("Perigee = %.1f km, Apogee = %.1f km, Remaining propellant = %.0f kg\n",
                    result.perigee_m / 1000, result.apogee_m / 1000, result.remainingPropellant_kg);
        return 0;
      case ascent::Outcome::Abandoned:
        std::printf("Orbit not reached, mission abandoned (%s)\n",
                    std::string(ascent::abandonReasonName(result.abandonReason)).c_str());
        return 1;
      case ascent::Outcome::Failed:
        std::fprintf(stderr, "error %d: %s\n", result.failureCode, result.failureReason.c_str());
        return 1;
    }
  } catch (const ascent::InputError& error) {
    // Every problem of the vehicle file, one per line, each with FILE:LINE.
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  } catch (const ascent::Error& error) {
    std::fprintf(stderr, "error %d: %s\n", error.code(), error.what());
  }
  return 1;
}

// Flies one mission through the public API alone: the shipped booster thrust
// history, turn time 18 s, angle-of-attack limit 24.06 degrees, no observer.
// Prints the orbit reached and the upper stage's remaining propellant.
//
//   fly_one [thrust history, default s1.dat]
#include <ascent/ascent.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "s1.dat";
  constexpr double turnTime_s = 18.0;
  constexpr double limitDeg = 24.06;
  try {
    const ascent::ThrustHistory history = ascent::ThrustHistory::fromFile(path);
    ascent::RunRecord run;
    const ascent::MissionResult result = ascent::flyMission(history, turnTime_s, limitDeg, run);
    switch (result.outcome) {
      case ascent::Outcome::Orbit:
        std::printf("Perigee = %.1f km, Apogee = %.1f km, Remaining propellant = %.0f kg\n",
                    result.perigee_m / 1000, result.apogee_m / 1000, result.remainingPropellant_kg);
        return 0;
      case ascent::Outcome::Abandoned:
        std::printf("Orbit not reached, mission abandoned\n");
        return 1;
      case ascent::Outcome::Failed:
        std::fprintf(stderr, "error %d: %s\n", result.failureCode, result.failureReason.c_str());
        return 1;
    }
  } catch (const ascent::Error& error) {
    std::fprintf(stderr, "error %d: %s\n", error.code(), error.what());
  }
  return 1;
}

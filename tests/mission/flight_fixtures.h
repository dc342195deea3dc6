// The flights the stepping tests start from, on a mission in memory: `Run`
// is InMemoryMission, or the report layer's InMemoryRun when a test reads the
// rows the steps write.
#pragma once

#include <cmath>
#include <memory>
#include <string>

#include "ascent/vehicle.h"
#include "mission/booster_motor.h"
#include "mission/in_memory_mission.h"
#include "mission/mission_step.h"
#include "physics/constants.h"

namespace ascent::testing {

// Eastward speed of the default launch site.
inline const double padSpeed =
    std::cos(pi * Vehicle::defaults().site.latitude_deg / 180) * 2 * pi * earthRadius / siderealDay;
constexpr double exitArea = 16.68220083888478;  // m^2

// States are written with designated initializers that name only what matters.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
// clang-format off
// Standing on the pad, thrust about 2.4 times the weight, along the air path.
inline FlightState padState() {
  return FlightState{.vx = padSpeed, .Me = 4.0e5, .mdot = -1.4e7 / 3000, .thrust = 1.4e7,
                     .m0 = 2.0e5, .exitArea = exitArea, .refArea = 60, .surfaceSpeed = padSpeed,
                     .followAirPath = true};
}

// Climbing through 30 km with thrust, rates and a pitch program all non-zero;
// the law's gain commands about 3 m/s^2 upward at vy = 600 m/s.
inline FlightState climbingState(SteeringMode mode) {
  return FlightState{.t = 100, .vx = 1500, .h0 = 30000, .vy = 600, .r0 = 40000,
                     .pitchOffset = -0.02, .Me = 2.0e5, .mdot = -2000, .thrust = 9.0e6,
                     .deltaV = 1800, .m0 = 2.0e5, .thrustRate = 1.0e4, .mdotRate = -3,
                     .pitchRate = -1e-3, .exitArea = exitArea, .refArea = 60,
                     .surfaceSpeed = padSpeed, .steeringMode = mode, .followAirPath = true,
                     .alphaMax = 0.5, .lawExponent = 0.5, .lawGain = 0.12};
}

// Unpowered at 200 km, close to circular; drag would show if it were applied.
inline FlightState coastingState() {
  return FlightState{.vx = 7790, .h0 = 200000, .vy = 50, .m0 = 1.0e4, .exitArea = exitArea,
                     .refArea = 60, .surfaceSpeed = padSpeed, .steeringMode = SteeringMode::Vacuum};
}
// clang-format on
#pragma GCC diagnostic pop

// Steps go through the mission's step(): the integration step, the steering
// angle, the row the observer writes, the osculating orbit.
template <class Run = InMemoryMission>
struct SteppedFlight : Run {
  void step(double dt) {
    this->s.dt = dt;
    ascent::step(this->mission);
  }
  double angularMomentum() const { return this->s.vx * (earthRadius + this->s.h0); }
  void onThePad() { this->s = padState(); }
  void climbing(SteeringMode mode) { this->s = climbingState(mode); }
  void coasting() { this->s = coastingState(); }
};

// Timed stepping and the booster thrust file, on a vehicle coasting in vacuum.
template <class Run = InMemoryMission>
struct CoastWithThrustFile : Run {
  std::unique_ptr<StringInStream> thrustText;
  std::unique_ptr<StreamRecordSource> thrustRecords;
  std::unique_ptr<BoosterThrustReader> readerHolder;

  CoastWithThrustFile() {
    // A 1000 kg body on a circular orbit at 200 km: mode 2 needs no atmosphere.
    this->s.steeringMode = SteeringMode::Vacuum;
    this->s.h0 = 200000;
    this->s.vx = std::sqrt(earthMu / (earthRadius + this->s.h0));
    this->s.m0 = 1000;
  }

  BoosterThrustReader& openThrust(const std::string& text) {
    thrustText = std::make_unique<StringInStream>(text);
    thrustRecords = std::make_unique<StreamRecordSource>(*thrustText, "s1.dat");
    readerHolder = std::make_unique<BoosterThrustReader>(*thrustRecords);
    return *readerHolder;
  }
};

}  // namespace ascent::testing

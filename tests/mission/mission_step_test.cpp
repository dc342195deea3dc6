// The equations of motion through the mission's step(): the steering law's
// gain and its clipping, the load-path force and the osculating orbit; and
// invariants that the physics fixes on its own (vis-viva on a coast, the
// rocket equation, the fourth order of the Runge-Kutta step).
#include "mission/mission_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "mission/flight_fixtures.h"
#include "physics/constants.h"
#include "support/test_support.h"

namespace ascent {
namespace {

struct IntegrationStep : testing::SteppedFlight<> {};

// The law's first gain makes it command the vertical acceleration the vehicle
// has at the held alpha, so the first step matches a step at that alpha.
TEST_F(IntegrationStep, ArmedLawComputesItsGainOnceAndStartsWithoutAJump) {
  climbing(SteeringMode::AlongReference);
  s.pitchOffset = s.pitchRate = 0;
  s.followAirPath = false;
  s.alpha = 0.15;
  const FlightState start = s;
  step(1e-3);
  const double heldVx = s.vx - start.vx, heldVy = s.vy - start.vy;

  s = start;
  s.steeringMode = SteeringMode::VerticalLaw;
  s.lawGain = 0;
  s.lawInitPending = true;
  step(1e-3);
  EXPECT_FALSE(s.lawInitPending);
  EXPECT_REL_NEAR(s.vx - start.vx, heldVx, 1e-3);
  EXPECT_REL_NEAR(s.vy - start.vy, heldVy, 1e-3);
  EXPECT_NEAR(s.alpha, 0.15, 1e-3);

  // Later steps keep the gain, whatever the state.
  const double gain = s.lawGain;
  EXPECT_GT(gain, 0.0);
  s.vy *= 0.5;
  s.alpha = 0.4;
  step(1.0);
  EXPECT_EQ(s.lawGain, gain);
}

// With n = 0 the law commands a constant av. When that needs more vertical
// thrust than there is, Fy is clipped to +-Fn, phi = pi/2 and alphaC = +-pi/2 -
// beta. A limit equal to |alphaC| is not applied: the unlimited branch
// integrates av itself.
TEST_F(IntegrationStep, ClippedLawPointsThrustVerticallyAndALimitEqualToItIsNotApplied) {
  const auto armClipped = [&](double alphaMax) {
    climbing(SteeringMode::VerticalLaw);
    s.lawExponent = 0;
    s.lawGain = 40;  // m/s^2, beyond the 22 m/s^2 of thrust
    s.alphaMax = alphaMax;
  };
  armClipped(0);
  const double alphaC = pi / 2 - std::atan(s.vy / s.vx);
  armClipped(alphaC);
  step(0.1);
  EXPECT_REL_NEAR(s.vy - 600, 0.1 * 40, 1e-12);
  EXPECT_REL_NEAR(s.alpha, pi / 2 - std::atan(s.vy / s.vx), 1e-12);

  armClipped(std::nextafter(alphaC, 0.0));  // now limited: thrust gives far less
  step(0.1);
  EXPECT_LT(s.vy - 600, 0.1 * 40 * 0.95);

  armClipped(2.0);  // falling: Fy clipped to -Fn
  s.vy = -600;
  step(0.1);
  EXPECT_REL_NEAR(s.vy + 600, -0.1 * 40, 1e-12);
  EXPECT_REL_NEAR(s.alpha, -pi / 2 - std::atan(s.vy / s.vx), 1e-12);
}

TEST_F(IntegrationStep, LoadPathForceIsComputedOnlyWhileTheMassIsAboveForceMass) {
  MissionRecord& r = mission.record;
  climbing(SteeringMode::AlongReference);
  s.mdot = s.mdotRate = 0;  // the mass stays m0 + Me
  s.forceMass = s.m0 + s.Me;
  r.force = -1;
  r.maxForce = 5;
  r.maxForceTime = 7;
  step(1.0);
  EXPECT_EQ(r.force, -1.0);
  EXPECT_EQ(r.maxForce, 5.0);
  EXPECT_EQ(r.maxForceTime, 7.0);

  // Without a drag area the force is the inertial load of the mass above.
  s.forceMass = s.m0 + s.Me - 1.0e4;
  step(1.0);
  EXPECT_DOUBLE_EQ(r.force, s.a * s.forceMass);
  EXPECT_EQ(r.maxForce, r.force);
  EXPECT_EQ(r.maxForceTime, 102.0);

  s.forceArea = 20;  // its drag adds
  step(1.0);
  EXPECT_GT(r.force, s.a * s.forceMass * 1.001);
  EXPECT_EQ(r.maxForceTime, 103.0);
}

TEST_F(IntegrationStep, OsculatingOrbitFromAnApsisAndFromARoundedCircularState) {
  // At apogee 400 km of an orbit with semi-major axis R + 300 km (vis-viva).
  coasting();
  const double ra = earthRadius + 400000, sma = earthRadius + 300000;
  s.h0 = 400000;
  s.vx = std::sqrt(earthMu * (2 / ra - 1 / sma));
  s.vy = 0;
  step(0.0);
  EXPECT_REL_NEAR(s.sma, sma, 1e-12);
  EXPECT_REL_NEAR(s.ecc, (ra - sma) / sma, 1e-9);
  EXPECT_REL_NEAR(s.apogee, 400000.0, 1e-9);
  EXPECT_REL_NEAR(s.perigee, 200000.0, 1e-9);

  // On a circular orbit e^2 = 1 - (vx r)^2 / (GM a) is zero up to rounding;
  // find a speed whose rounding makes it negative: then ecc = 1.
  const double r = earthRadius + 200000;
  double vx = std::sqrt(earthMu / r), e2 = 0;
  for (int i = 0; i < 1000 && e2 >= 0; ++i) {
    vx = std::nextafter(vx, 1e4);
    const double a = 1 / (2 / r - (vx * vx + 0.0 * 0.0) / earthMu);
    e2 = 1 - (vx * r) * (vx * r) / (earthMu * a);
  }
  ASSERT_LT(e2, 0.0);
  s.h0 = 200000;
  s.vx = vx;
  step(0.0);
  EXPECT_EQ(s.ecc, 1.0);
  EXPECT_EQ(s.perigee, -earthRadius);
  EXPECT_REL_NEAR(s.apogee, 2 * r - earthRadius, 1e-9);
}

// Vis-viva: without thrust or drag the semi-major axis and eccentricity of the
// osculating orbit, and the angular momentum, do not change.
TEST_F(IntegrationStep, CoastKeepsTheOsculatingOrbit) {
  coasting();
  step(0.0);
  const double sma = s.sma, ecc = s.ecc, L = angularMomentum();
  ASSERT_GT(ecc, 1e-3);
  for (int i = 0; i < 1000; ++i) step(1.0);
  EXPECT_EQ(s.t, 1000.0);
  EXPECT_GT(s.r0, 7.0e6);
  EXPECT_REL_NEAR(s.sma, sma, 1e-9);
  EXPECT_NEAR(s.ecc, ecc, 1e-9);
  EXPECT_REL_NEAR(angularMomentum(), L, 1e-9);
}

// With flow mdot = -F / ve at every instant, dv = F / m dt = -ve dm / m, so the
// velocity gain is ve ln(m_start / m_end), whatever the thrust history and path.
TEST_F(IntegrationStep, DeltaVFollowsTheRocketEquation) {
  constexpr double ve = 3000;
  const auto burn = [&](int steps) {
    const double m = s.m0 + s.Me, dv = s.deltaV, Me = s.Me, mdot = s.mdot;
    for (int i = 0; i < steps; ++i) step(1.0);
    EXPECT_REL_NEAR(s.deltaV - dv, ve * std::log(m / (s.m0 + s.Me)), 1e-9);
    EXPECT_REL_NEAR(s.Me - Me, steps * (mdot + s.mdot) / 2, 1e-12);
  };
  onThePad();  // constant thrust, through the atmosphere
  s.mdot = -s.thrust / ve;
  burn(60);

  climbing(SteeringMode::Vacuum);  // thrust ramping down while pitching
  s.thrustRate = -2.0e4;
  s.mdot = -s.thrust / ve;
  s.mdotRate = -s.thrustRate / ve;
  burn(100);
}

// Halving dt divides the global error of a fourth-order step by 2^4.
TEST_F(IntegrationStep, PositionErrorFallsWithTheFourthPowerOfTheStep) {
  const auto fly = [&](bool powered, double duration, double dt) {
    coasting();
    if (powered) {
      s.Me = 2.0e4;
      s.thrust = 1.0e5;
      s.mdot = -s.thrust / 3000;
      s.thrustRate = -50;
      s.mdotRate = 50.0 / 3000;
      s.pitchRate = -2e-4;
    }
    for (long i = 0, n = std::lround(duration / dt); i < n; ++i) step(dt);
    return std::pair{s.h0, s.r0};
  };
  // A coast over a third of an orbit, and a burn with ramping thrust and pitch.
  struct Case {
    bool powered;
    double duration, dt;
  };
  for (const Case& c : {Case{false, 1600, 80}, Case{true, 400, 20}}) {
    SCOPED_TRACE(c.powered ? "powered" : "coast");
    const auto exact = fly(c.powered, c.duration, c.dt / 32);
    const auto error = [&](double dt) {
      const auto [h, r0] = fly(c.powered, c.duration, dt);
      return std::hypot(h - exact.first, r0 - exact.second);
    };
    const double coarse = error(c.dt), fine = error(c.dt / 2);
    EXPECT_GT(fine, 1e-4);  // well above rounding
    EXPECT_GT(coarse / fine, 12.0);
    EXPECT_LT(coarse / fine, 20.0);
  }
}

}  // namespace
}  // namespace ascent

// The equations of motion: the steering modes on one step, the row, the peaks
// and the osculating orbit; invariants that the physics fixes on its own
// (angular momentum under radial thrust, vis-viva on a coast, the rocket
// equation, time reversal, the fourth order of the Runge-Kutta step); the stop
// on a floating-point fault; and steps that allocate nothing.
#include "physics/integration_step.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/interrupts.h"
#include "app/run_context.h"
#include "ascent/vehicle.h"
#include "mission/mission_step.h"
#include "physics/constants.h"
#include "support/in_memory_run.h"
#include "support/test_support.h"

// Counts the calls of the global operator new of the whole test binary.
namespace {
std::atomic<long> heapAllocations{0};
void* counted(void* p) {
  heapAllocations.fetch_add(1, std::memory_order_relaxed);
  return p;
}
void* countedOrThrow(std::size_t size) {
  if (void* p = std::malloc(size == 0 ? 1 : size)) return counted(p);
  throw std::bad_alloc();
}
}  // namespace

// clang-format off
void* operator new(std::size_t size) { return countedOrThrow(size); }
void* operator new[](std::size_t size) { return countedOrThrow(size); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return counted(std::malloc(n)); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return counted(std::malloc(n)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
// clang-format on

namespace ascent {
namespace {

// States are written with designated initializers that name only what matters.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// Eastward speed of the default launch site.
const double padSpeed =
    std::cos(pi * Vehicle::defaults().site.latitude_deg / 180) * 2 * pi * earthRadius / siderealDay;
constexpr double exitArea = 16.68220083888478;  // m^2
constexpr double seaLevelPressure = 101325.0;   // Pa

// The columns of one table row as printed.
std::vector<std::string> fields(const std::string& row) {
  std::istringstream in(row);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

// Column order: t a vi h0 r0 alpha beta theta Pq m0+Me.
enum Column { T, A, VI, H0, R0, ALPHA, BETA, THETA, PQ, MASS };

// Steps go through the mission's step(): the integration step, the steering
// angle, the row the observer writes, the osculating orbit.
struct IntegrationStep : testing::InMemoryRun {
  void step(double dt) {
    s.dt = dt;
    ascent::step(mission);
  }
  std::vector<std::string> rows() const { return testing::splitLines(reportBytes); }
  std::vector<std::string> lastRow() const { return fields(rows().back()); }
  double column(Column c) const { return std::stod(lastRow().at(c)); }
  double angularMomentum() const { return s.vx * (earthRadius + s.h0); }

  // clang-format off
  // Standing on the pad, thrust about 2.4 times the weight, along the air path.
  void onThePad() {
    s = FlightState{.vx = padSpeed, .Me = 4.0e5, .mdot = -1.4e7 / 3000, .thrust = 1.4e7,
                    .m0 = 2.0e5, .exitArea = exitArea, .refArea = 60, .surfaceSpeed = padSpeed,
                    .followAirPath = true};
  }

  // Climbing through 30 km with thrust, rates and a pitch program all non-zero;
  // the law's gain commands about 3 m/s^2 upward at vy = 600 m/s.
  void climbing(SteeringMode mode) {
    s = FlightState{.t = 100, .vx = 1500, .h0 = 30000, .vy = 600, .r0 = 40000,
                    .pitchOffset = -0.02, .Me = 2.0e5, .mdot = -2000, .thrust = 9.0e6,
                    .deltaV = 1800, .m0 = 2.0e5, .thrustRate = 1.0e4, .mdotRate = -3,
                    .pitchRate = -1e-3, .exitArea = exitArea, .refArea = 60,
                    .surfaceSpeed = padSpeed, .steeringMode = mode, .followAirPath = true,
                    .alphaMax = 0.5, .lawExponent = 0.5, .lawGain = 0.12};
  }

  // Unpowered at 200 km, close to circular; drag would show if it were applied.
  void coasting() {
    s = FlightState{.vx = 7790, .h0 = 200000, .vy = 50, .m0 = 1.0e4, .exitArea = exitArea,
                    .refArea = 60, .surfaceSpeed = padSpeed, .steeringMode = SteeringMode::Vacuum};
  }
  // clang-format on
};

TEST_F(IntegrationStep, OnThePadThrustPointsStraightUpAndStaysVerticalWhileRising) {
  onThePad();
  step(0.0);
  EXPECT_EQ(rows().back().substr(37, 30), "  90.00   0.00  90.00      0.0");  // alpha beta theta Pq
  EXPECT_DOUBLE_EQ(s.alpha, pi / 2);
  // Net thrust: sea-level pressure on the nozzle exits is lost.
  EXPECT_REL_NEAR(s.a, (s.thrust - seaLevelPressure * exitArea) / (s.m0 + s.Me), 1e-12);

  // With the thrust along the radius there is no horizontal force, so the
  // angular momentum vx * r keeps its value while the vehicle climbs.
  // The ground then turns ahead of the vehicle: dr0/dt = vx R / r - surfaceSpeed
  // = surfaceSpeed (R^2 / r^2 - 1), integrated here by the trapezoidal rule.
  const double L0 = angularMomentum();
  const auto groundRate = [&] {
    const double ratio = earthRadius / (earthRadius + s.h0);
    return s.surfaceSpeed * (ratio * ratio) - s.surfaceSpeed;
  };
  double r0 = 0;
  for (int i = 0; i < 100; ++i) {
    const double before = groundRate();
    step(0.1);
    r0 += 0.05 * (before + groundRate());
    EXPECT_EQ(lastRow()[THETA], "90.00") << rows().back();
  }
  EXPECT_REL_NEAR(angularMomentum(), L0, 1e-12);
  EXPECT_LT(s.vx - s.surfaceSpeed * (earthRadius + s.h0) / earthRadius, 0.0);  // vxa < 0
  EXPECT_REL_NEAR(s.r0, r0, 1e-3);  // r0 < 0, about -0.2 m after 10 s

  // A negative pitch offset tilts the thrust downrange.
  s.pitchOffset = -0.01;
  step(0.1);
  EXPECT_GT(angularMomentum(), L0 * (1 + 1e-9));
}

TEST_F(IntegrationStep, StepBackReturnsToTheStartInEveryMode) {
  for (SteeringMode mode :
       {SteeringMode::AlongReference, SteeringMode::VerticalLaw, SteeringMode::Vacuum}) {
    SCOPED_TRACE(static_cast<int>(mode));
    reportBytes.clear();
    climbing(mode);
    const FlightState start = s;
    step(0.5);
    EXPECT_GT(std::fabs(s.h0 - start.h0), 250.0);
    step(-0.5);
    EXPECT_EQ(s.t, start.t);
    using F = FlightState;
    for (double F::*q : {&F::vx, &F::h0, &F::vy, &F::r0, &F::pitchOffset, &F::Me, &F::mdot,
                         &F::thrust, &F::deltaV}) {
      EXPECT_REL_NEAR(s.*q, start.*q, 1e-9);
    }
    ASSERT_EQ(rows().size(), 2u);
    EXPECT_EQ(fields(rows()[0])[T] + " " + fields(rows()[1])[T], "100.50 100.00");
  }
}

TEST_F(IntegrationStep, VacuumThrustHasNoPressureLossAndFollowsThePathPlusTheOffset) {
  climbing(SteeringMode::Vacuum);  // at 30 km the air would cost 0.2% of the thrust
  s.alpha = 0.3;
  step(1.0);
  EXPECT_EQ(lastRow()[ALPHA], "0.00");
  EXPECT_EQ(lastRow()[PQ], "0.0");
  EXPECT_DOUBLE_EQ(s.a, s.thrust / (s.m0 + s.Me));

  // Thrust along the inertial path changes the speed, not the direction; a
  // positive pitch offset turns the path upward.
  const auto pathAngleAfterOneSecond = [&](double thrust, double offset) {
    coasting();
    s.vy = 2000;
    s.thrust = thrust;  // 10 m/s^2
    s.pitchOffset = offset;
    step(1.0);
    return std::atan(s.vy / s.vx);
  };
  const double coast = pathAngleAfterOneSecond(0, 0);
  EXPECT_NEAR(pathAngleAfterOneSecond(1.0e5, 0), coast, 1e-5);
  EXPECT_GT(pathAngleAfterOneSecond(1.0e5, 0.3), coast + 3e-4);
}

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

// Peaks of thrust acceleration and dynamic pressure: the mission's in its
// record, the run's in the RunRecord across missions.
TEST_F(IntegrationStep, PeaksKeepTheLargestForTheMissionAndTheRun) {
  climbing(SteeringMode::AlongReference);
  const FlightState beforePeak = s;
  step(1.0);
  for (const Peaks* peaks : {&mission.record.peaks, &record.peaks}) {
    EXPECT_EQ(peaks->maxAccel_mps2, s.a);
    EXPECT_EQ(peaks->maxAccelTime_s, 101.0);
    EXPECT_NEAR(peaks->maxQ_Pa, column(PQ), 0.05);
    EXPECT_GT(peaks->maxQ_Pa, 1000.0);
    EXPECT_EQ(peaks->maxQTime_s, 101.0);
  }

  // The same values again later are no new peak.
  const FlightState first = s;
  const Peaks firstPeaks = record.peaks;
  s = beforePeak;
  s.t += 10;
  step(1.0);
  ASSERT_EQ(s.a, firstPeaks.maxAccel_mps2);
  EXPECT_EQ(mission.record.peaks.maxAccelTime_s, 101.0);
  EXPECT_EQ(record.peaks.maxQTime_s, 101.0);

  // A second mission, higher and with less thrust, has peaks of its own and
  // leaves the run's those of the first.
  newMission();
  s = first;
  s.t = 0;
  s.h0 = 50000;
  s.thrust = 4.0e6;
  step(1.0);
  ASSERT_LT(s.a, firstPeaks.maxAccel_mps2);
  ASSERT_LT(column(PQ), firstPeaks.maxQ_Pa);
  EXPECT_EQ(mission.record.peaks.maxAccel_mps2, s.a);
  EXPECT_EQ(mission.record.peaks.maxAccelTime_s, 1.0);
  EXPECT_EQ(mission.record.peaks.maxQ_Pa, s.q);
  EXPECT_EQ(record.peaks.maxAccel_mps2, firstPeaks.maxAccel_mps2);
  EXPECT_EQ(record.peaks.maxAccelTime_s, 101.0);
  EXPECT_EQ(record.peaks.maxQ_Pa, firstPeaks.maxQ_Pa);
  EXPECT_EQ(record.peaks.maxQTime_s, 101.0);
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

// A mission takes tens of thousands of steps: once the scratch line has grown,
// a step must not touch the heap, in any mode, with or without data files.
TEST_F(IntegrationStep, StepsAllocateNothing) {
  NullOutStream discard, speed, height, accel, dynpres;
  ReportSettings onScreen, toFile;
  toFile.reportFile = true;
  ReportWriter withoutData(discard, DataFiles{}, onScreen);
  ReportWriter withData(discard, DataFiles{&speed, &height, &accel, &dynpres}, toFile);
  const long before = heapAllocations.load();
  auto probe = std::make_unique<double>(1.0);
  ASSERT_GT(heapAllocations.load(), before);  // the counter sees this binary's allocations
  for (SteeringMode mode :
       {SteeringMode::AlongReference, SteeringMode::VerticalLaw, SteeringMode::Vacuum}) {
    SCOPED_TRACE(static_cast<int>(mode));
    climbing(mode);
    mission.observer = mode != SteeringMode::AlongReference ? &withData : &withoutData;
    s.lawInitPending = true;
    for (int i = 0; i < 5; ++i) step(0.1);
    const long warm = heapAllocations.load();
    for (int i = 0; i < 100; ++i) step(0.1);
    EXPECT_EQ(heapAllocations.load() - warm, 0);
  }
}

// 0/0 in the flight-path angle traps; the run stops through its exit path with
// status 207 after flushing the rows already written.
TEST(IntegrationStepDeathTest, ZeroOverZeroStopsTheRunWithError207AndKeepsTheRows) {
  testing::TempDir dir;
  const std::string reportPath = dir / "report.txt", consolePath = dir / "console.txt";
  const FlightState orbiting{
      .dt = 1, .vx = 7790, .h0 = 200000, .m0 = 1.0e4, .steeringMode = SteeringMode::Vacuum};
  EXPECT_EXIT(
      {
        // Standard output is redirected to a file the parent reads afterwards.
        ::dup2(::open(consolePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        FdOutStream standardOutput(1, "standard output", false);
        RealFileSystem files;
        StringInStream noInput("");
        RunContext run(noInput, standardOutput, files);
        run.reportFile = files.create(reportPath);
        run.report = run.reportFile.get();
        run.console = &standardOutput;
        ReportWriter writer(*run.report, DataFiles{}, ReportSettings{});
        FlightState state = orbiting;
        RunRecord record;
        Mission mission(state, sharedAtmosphereTables(), record, &writer);
        FaultHandlers faultHandlers(run);
        step(mission);
        state.vx = state.vy = 0;
        step(mission);
      },
      ::testing::ExitedWithCode(207), "");
  const auto lines = testing::splitLines(testing::readFile(reportPath));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 77u);
  EXPECT_EQ(fields(lines[0])[T], "1.00");
  EXPECT_NE(testing::readFile(consolePath).find("Runtime error 207"), std::string::npos);
}

}  // namespace
}  // namespace ascent

// The rows the report writer writes of the mission's steps: the steering
// modes on one step, time reversal, and the peaks of the mission and the run;
// and steps that allocate nothing, watched or not.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "mission/flight_fixtures.h"
#include "physics/constants.h"
#include "report/in_memory_run.h"
#include "report/report_writer.h"
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

using testing::exitArea;
constexpr double seaLevelPressure = 101325.0;  // Pa

// The columns of one table row as printed.
std::vector<std::string> fields(const std::string& row) {
  std::istringstream in(row);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

// Column order: t a vi h0 r0 alpha beta theta Pq m0+Me.
enum Column { T, A, VI, H0, R0, ALPHA, BETA, THETA, PQ, MASS };

struct IntegrationStep : testing::SteppedFlight<testing::InMemoryRun> {
  std::vector<std::string> rows() const { return testing::splitLines(reportBytes); }
  std::vector<std::string> lastRow() const { return fields(rows().back()); }
  double column(Column c) const { return std::stod(lastRow().at(c)); }
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

}  // namespace
}  // namespace ascent

#include "mission/mission_step.h"

#include <cfenv>
#include <cmath>
#include <string>

#include "ascent/errors.h"
#include "mission/booster_motor.h"
#include "mission/floating_point.h"
#include "physics/constants.h"
#include "physics/integration_step.h"

namespace ascent {

namespace {

void trackPeaks(Peaks& peaks, double t, double a, double q) {
  if (a > peaks.maxAccel_mps2) {
    peaks.maxAccel_mps2 = a;
    peaks.maxAccelTime_s = t;
  }
  if (q > peaks.maxQ_Pa) {
    peaks.maxQ_Pa = q;
    peaks.maxQTime_s = t;
  }
}

}  // namespace

void checkFaultFlags(const Mission& m) {
  if (!m.checkFlags) return;
  const int flags = std::fetestexcept(faultExceptions);
  if (flags == 0) return;
  // The first fault the sticky flags show, as the trap would have numbered it.
  if (flags & FE_DIVBYZERO)
    throw Error(errorCode::divisionByZero, "floating-point division by zero");
  if (flags & FE_OVERFLOW) throw Error(errorCode::overflow, "floating-point overflow");
  throw Error(errorCode::invalidOperation, "floating-point invalid operation");
}

void step(Mission& m) {
  FlightState& s = m.s;
  integrateStep(s, m.tables);

  // Load on the tracked path: its drag plus the inertial load of the mass above it.
  MissionRecord& record = m.record;
  if (s.Me + s.m0 > s.forceMass) {
    record.force = s.forceArea * s.Cq + s.a * s.forceMass;
    if (record.force > record.maxForce) {
      record.maxForce = record.force;
      record.maxForceTime = s.t;
    }
  }
  trackPeaks(m.run.peaks, s.t, s.a, s.q);
  trackPeaks(record.peaks, s.t, s.a, s.q);

  updateSteeringAngle(s);
  ++m.steps;
  if (m.observer != nullptr) {
    m.observer->step(
        StepRow{s.t, s.a, s.vi, s.h0, s.r0, s.alpha, s.beta, s.theta, s.q, s.m0 + s.Me});
  }
  updateOsculatingOrbit(s);

  checkFaultFlags(m);

  // Written so that a NaN fails them too.
  const bool clockInRange = std::fabs(s.t) <= latestMissionTime;
  if (m.watch) {
    if (!(s.h0 >= 0)) throw MissionAbandoned{AbandonReason::BelowSurface};
    if (!(s.m0 + s.Me > 0)) throw MissionAbandoned{AbandonReason::NoMassLeft};
    if (!clockInRange) throw MissionAbandoned{AbandonReason::ClockRanOut};
  } else if (!clockInRange) {
    throw Error(errorCode::unusableData,
                std::string(m.historyName) +
                    " cannot be flown: the mission clock left -10000..10000 s before booster "
                    "separation");
  }
}

void padRow(Mission& m, double a) {
  const FlightState& s = m.s;
  if (m.observer != nullptr) {
    m.observer->padRow(
        StepRow{s.t, a, s.surfaceSpeed, s.h0, s.r0, pi / 2, 0.0, pi / 2, 0.0, s.m0 + s.Me});
  }
}

}  // namespace ascent

#include "mission/mission.h"

#include <cfenv>

#include "ascent/errors.h"
#include "mission/booster_phase.h"
#include "mission/core_phase.h"
#include "mission/floating_point.h"
#include "mission/mission_context.h"
#include "mission/mission_step.h"
#include "mission/mission_summary.h"
#include "mission/upper_stage_phase.h"
#include "physics/constants.h"

namespace ascent {

namespace {

// The summary of a mission that reached orbit.
void summarise(const Mission& m, MissionResult& result) {
  const FlightState& s = m.s;
  result.perigee_m = s.perigee;
  result.apogee_m = s.apogee;
  result.averageAltitude_m = (s.apogee + s.perigee) / 2;
  result.altitudeHalfRange_m = s.apogee - result.averageAltitude_m;
  result.remainingPropellant_kg = s.Me;
  result.deltaV_mps = s.deltaV;
  updateRecommendation(m.run, s.alphaMax, result.averageAltitude_m,
                       m.vehicle.guidance.target_altitude_m);
  result.sizing = sizeUpperStage(m.vehicle, m.record.maxForce, s.Me);
  result.recommendedLimit_rad = m.run.recommendedLimit_rad;
  result.recommendedLimit_deg = toDegrees(m.run.recommendedLimit_rad);
}

void recordFlight(const Mission& m, MissionResult& result) {
  const MissionRecord& record = m.record;
  result.limit_deg = m.limit_deg;
  result.limit_rad = m.s.alphaMax;
  result.maxForce_N = record.maxForce;
  result.maxForceTime_s = record.maxForceTime;
  result.liftoffThrust_N = record.liftoffThrust;
  result.liftoffAcceleration_mps2 = record.liftoffAcceleration;
  result.liftoffMass_kg = record.liftoffMass;
  result.boosterResidual_kg = record.boosterResidual;
  result.missionPeaks = record.peaks;
  result.runPeaks = m.run.peaks;
  result.steps = m.steps;
}

// Flies `phases` of mission `m` into `result`: an orbit summarised, an
// abandoned or failed mission with what it recorded. Missions flown as data
// read the fault flags instead of trapping; the caller's floating-point
// environment comes back as it was.
template <class Phases>
void flyPhases(Mission& m, MissionResult& result, const FlyOptions& options, Phases phases) {
  std::fenv_t callerEnvironment;
  if (!options.throwFailures) {
    std::feholdexcept(&callerEnvironment);
    m.checkFlags = true;
  }
  try {
    try {
      phases();
      result.outcome = Outcome::Orbit;
      recordFlight(m, result);
      summarise(m, result);
      checkFaultFlags(m);
    } catch (const MissionAbandoned& abandoned) {
      // Nothing more of this mission is flown or summarised.
      result.outcome = Outcome::Abandoned;
      result.abandonReason = abandoned.reason;
      recordFlight(m, result);
      if (m.observer != nullptr) m.observer->event(Event::Abandoned, 0);
    }
  } catch (const Error& error) {
    if (options.throwFailures) throw;
    result.outcome = Outcome::Failed;
    result.failureCode = error.code();
    result.failureReason = error.what();
    recordFlight(m, result);
  }
  if (!options.throwFailures) std::fesetenv(&callerEnvironment);
}

}  // namespace

std::string_view outcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Orbit:
      return "orbit";
    case Outcome::Abandoned:
      return "abandoned";
    case Outcome::Failed:
      break;
  }
  return "failed";
}

std::string_view abandonReasonName(AbandonReason reason) {
  switch (reason) {
    case AbandonReason::BelowSurface:
      return "below_surface";
    case AbandonReason::NoMassLeft:
      return "no_mass_left";
    case AbandonReason::ClockRanOut:
      return "clock_ran_out";
    case AbandonReason::None:
      break;
  }
  return "none";
}

const AtmosphereTables& sharedAtmosphereTables() {
  static const AtmosphereTables tables = [] {
    AtmosphereTables built;
    initAtmosphere(built);
    return built;
  }();
  return tables;
}

MissionResult flyMission(RecordSource& records, const AtmosphereTables& tables,
                         const Vehicle& vehicle, double turnTime_s, double limit_deg,
                         RunRecord& run, MissionObserver* observer, const FlyOptions& options) {
  FlightState state;
  const bool defaultVehicle = &vehicle == &Vehicle::defaults();
  const DerivedVehicle ownDerived = defaultVehicle ? DerivedVehicle() : DerivedVehicle(vehicle);
  Mission m(state, tables, run, observer, vehicle,
            defaultVehicle ? defaultDerivedVehicle() : ownDerived);
  m.historyName = records.name();
  m.turnTime = turnTime_s;
  m.limit_deg = limit_deg;

  MissionResult result;
  result.turnTime_s = turnTime_s;
  result.limit_deg = limit_deg;
  flyPhases(m, result, options, [&] {
    boosterPhase(m, records);
    corePhase(m);
    upperStagePhase(m);
  });
  if (result.outcome != Outcome::Failed && observer != nullptr) observer->finished(result);
  return result;
}

double SeparationState::time_s() const {
  return mission_.s.t;
}

double SeparationState::altitude_m() const {
  return mission_.s.h0;
}

double SeparationState::speed_mps() const {
  return mission_.s.vi;
}

MissionResult SeparationState::flyRest(const Vehicle& vehicle, double limit_deg) const {
  const Mission& live = mission_;
  FlightState state = live.s;
  RunRecord run = live.run;
  const DerivedVehicle derived(vehicle);
  Mission m(state, live.tables, run, nullptr, vehicle, derived);
  m.record = live.record;
  m.historyName = live.historyName;
  m.turnTime = live.turnTime;
  m.limit_deg = limit_deg;
  m.steps = live.steps;
  MissionResult result;
  result.turnTime_s = live.turnTime;
  result.limit_deg = limit_deg;
  flyPhases(m, result, FlyOptions{}, [&] {
    corePhase(m);
    upperStagePhase(m);
  });
  return result;
}

MissionResult flyMission(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         double limit_deg, RunRecord& run, MissionObserver* observer,
                         const FlyOptions& options) {
  HistoryRecordSource records(history);
  return flyMission(records, sharedAtmosphereTables(), vehicle, turnTime_s, limit_deg, run,
                    observer, options);
}

MissionResult flyMission(const ThrustHistory& history, double turnTime_s, double limit_deg,
                         RunRecord& run, MissionObserver* observer, const FlyOptions& options) {
  return flyMission(history, Vehicle::defaults(), turnTime_s, limit_deg, run, observer, options);
}

}  // namespace ascent

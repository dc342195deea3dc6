#include <cmath>

#include "ascent/study.h"
#include "study/limit_search.h"

namespace ascent {

bool outsideDesign(const MissionResult& result) {
  if (result.outcome != Outcome::Orbit) return false;
  for (double value : {result.perigee_m, result.apogee_m, result.remainingPropellant_kg,
                       result.maxForce_N, result.sizing.SC_M}) {
    if (!std::isfinite(value)) return true;
  }
  return !(result.sizing.SC_M > 0);
}

LimitProbe probeOf(const MissionResult& result) {
  LimitProbe probe;
  probe.averageAltitude_m = result.averageAltitude_m;
  probe.reached = result.outcome == Outcome::Orbit && std::isfinite(result.averageAltitude_m) &&
                  result.averageAltitude_m >= 0;
  return probe;
}

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Converged:
      return "converged";
    case Verdict::OutsideDesign:
      return "outside-design";
    case Verdict::Unreachable:
      return "unreachable";
    case Verdict::NotConverged:
      break;
  }
  return "not-converged";
}

const MissionResult* TargetRun::answer() const {
  return search.best < missions.size() ? &missions[search.best] : nullptr;
}

TargetRun targetTurnTime(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const TargetSettings& settings) {
  TargetRun target;
  target.turnTime_s = turnTime_s;
  LimitSearchOptions options;
  options.targetAltitude_m = settings.altitude_km * 1000;
  options.tolerance_m = settings.tolerance_km * 1000;
  options.maxMissions = settings.maxMissions;
  options.firstGuessDeg = settings.firstGuessDeg;
  target.search = searchLimit(
      [&](double limitDeg) {
        RunRecord run;
        target.missions.push_back(flyMission(history, vehicle, turnTime_s, limitDeg, run));
        return probeOf(target.missions.back());
      },
      options);
  switch (target.search.verdict) {
    case LimitVerdict::Converged:
      target.verdict =
          outsideDesign(*target.answer()) ? Verdict::OutsideDesign : Verdict::Converged;
      break;
    case LimitVerdict::Unreachable:
      target.verdict = Verdict::Unreachable;
      break;
    case LimitVerdict::NotConverged:
      target.verdict = Verdict::NotConverged;
      break;
  }
  return target;
}

}  // namespace ascent

// What a flown mission counts as, and the verdicts of a targeted turn time
// (ascent/study.h).
#include <cmath>
#include <cstdio>

#include "ascent/study.h"

namespace ascent {

std::string_view flightClassName(FlightClass flightClass) {
  switch (flightClass) {
    case FlightClass::Orbit:
      return "orbit";
    case FlightClass::Suborbital:
      return "suborbital";
    case FlightClass::Escape:
      return "escape";
    case FlightClass::Abandoned:
      return "abandoned";
    case FlightClass::Failed:
      break;
  }
  return "failed";
}

FlightClass classifyFlight(const MissionResult& result, double minimumPerigee_m) {
  switch (result.outcome) {
    case Outcome::Abandoned:
      return FlightClass::Abandoned;
    case Outcome::Failed:
      return FlightClass::Failed;
    case Outcome::Orbit:
      break;
  }
  // A hyperbolic trajectory has a negative semi-major axis, which puts its
  // "apogee" below its perigee.
  if (!std::isfinite(result.apogee_m) || !std::isfinite(result.perigee_m) ||
      !(result.apogee_m >= result.perigee_m)) {
    return FlightClass::Escape;
  }
  if (!(result.perigee_m >= minimumPerigee_m)) return FlightClass::Suborbital;
  return FlightClass::Orbit;
}

bool outsideDesign(const MissionResult& result) {
  if (result.outcome != Outcome::Orbit) return false;
  for (double value : {result.perigee_m, result.apogee_m, result.remainingPropellant_kg,
                       result.maxForce_N, result.sizing.SC_M_kg}) {
    if (!std::isfinite(value)) return true;
  }
  return !(result.sizing.SC_M_kg > 0);
}

PropellantShortfall propellantShortfall(const MissionResult& result) {
  PropellantShortfall shortfall;
  if (result.outcome != Outcome::Orbit) return shortfall;
  if (result.boosterResidual_kg < 0) shortfall.eachBooster_kg = -result.boosterResidual_kg;
  if (result.remainingPropellant_kg < 0) shortfall.upperStage_kg = -result.remainingPropellant_kg;
  return shortfall;
}

std::string shortfallText(const PropellantShortfall& shortfall) {
  char text[128] = "";
  if (shortfall.eachBooster_kg > 0 && shortfall.upperStage_kg > 0) {
    std::snprintf(text, sizeof text, "each booster %.0f kg short, the upper stage %.0f kg short",
                  shortfall.eachBooster_kg, shortfall.upperStage_kg);
  } else if (shortfall.eachBooster_kg > 0) {
    std::snprintf(text, sizeof text, "each booster %.0f kg short", shortfall.eachBooster_kg);
  } else if (shortfall.upperStage_kg > 0) {
    std::snprintf(text, sizeof text, "the upper stage %.0f kg short", shortfall.upperStage_kg);
  }
  return text;
}

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::Converged:
      return "converged";
    case Verdict::OutsideDesign:
      return "outside_design";
    case Verdict::Unreachable:
      return "unreachable";
    case Verdict::NotConverged:
      break;
    case Verdict::Suborbital:
      return "suborbital";
    case Verdict::Escape:
      return "escape";
    case Verdict::Infeasible:
      return "infeasible";
    case Verdict::NoPropellantLeft:
      return "no_propellant_left";
  }
  return "not_converged";
}

std::string turnTimeProblem(double turnTime_s) {
  return domainProblem("the turn time", turnTime_s, lowestTurnTime_s, highestTurnTime_s, true,
                       false, "s");
}

}  // namespace ascent

#include "report/flight_text.h"

#include "report/printf_text.h"

namespace ascent {

namespace {

const char* abandonText(AbandonReason reason) {
  switch (reason) {
    case AbandonReason::BelowSurface:
      return "fell below the surface";
    case AbandonReason::NoMassLeft:
      return "burned more than its own mass";
    case AbandonReason::ClockRanOut:
      return "the mission clock ran out";
    case AbandonReason::None:
      break;
  }
  return "no reason";
}

// The trial table reads every mission against the default minimum perigee,
// whatever the search's: the verdict alone applies the search's.
std::string trialLine(std::size_t number, const MissionResult& r) {
  if (r.outcome != Outcome::Orbit || classifyFlight(r) == FlightClass::Escape) {
    return format("%7zu  %14.8f  %s\n", number, r.limit_deg, flightText(r).c_str());
  }
  std::string line = format("%7zu  %14.8f  %12.3f  %12.3f  %12.3f  %15.0f", number, r.limit_deg,
                            r.averageAltitude_m / 1000, r.perigee_m / 1000, r.apogee_m / 1000,
                            r.remainingPropellant_kg);
  const std::string state = outcomeText(r);
  if (state != "orbit") line += "  " + state;
  return line + '\n';
}

std::string unreachableText(const TargetRun& target, std::size_t flown) {
  const LimitSearchResult& search = target.search;
  if (target.answer() == nullptr) {
    return format("Unreachable: no limit flown reaches an orbit at turn time %s s (%s)\n",
                  exactText(target.turnTime_s).c_str(), count(flown, "mission").c_str());
  }
  const std::string turnTime = exactText(target.turnTime_s);
  std::string highest = format("the highest found is %.3f km at %.4f deg",
                               search.highestAltitude_m / 1000, search.highestAt_deg);
  if (!search.flatTop) {
    return format("Unreachable: at turn time %s s %s (%s)\n", turnTime.c_str(), highest.c_str(),
                  count(flown, "mission").c_str());
  }
  if (search.highestAltitude_m == search.flatAltitude_m) highest.clear();
  return format(
      "Unreachable: at turn time %s s the average altitude is flat at %.3f km from "
      "a limit of %.4f deg on, where the limit no longer binds%s%s (%s)\n",
      turnTime.c_str(), search.flatAltitude_m / 1000, search.flatFrom_deg,
      highest.empty() ? "" : "; ", highest.c_str(), count(flown, "mission").c_str());
}

// The verdict of a search that reached the target: a design, or why the
// orbit reached is none.
std::string convergedText(const TargetResult& result, std::size_t flown) {
  const TargetRun& target = result.run;
  const MissionResult& r = *target.answer();
  std::string why, word;
  switch (target.verdict) {
    case Verdict::Infeasible:
      word = "Infeasible";
      why = format(": its peak dynamic pressure %.3f kPa exceeds the limit %g kPa",
                   r.missionPeaks.maxQ_Pa / 1000, result.search.dynamicPressureLimit_Pa / 1000);
      break;
    case Verdict::NoPropellantLeft:
      word = "No propellant left";
      why =
          ": it burns propellant it does not carry (" + shortfallText(propellantShortfall(r)) + ")";
      break;
    case Verdict::OutsideDesign:
      word = "Outside the design";
      why = ": the re-sized upper stage leaves no spacecraft mass";
      break;
    default:
      word = "Converged";
      break;
  }
  return format("%s: limit %s deg gives a %.1f x %.1f km orbit (average %.3f km) in %s\n",
                word.c_str(), exactText(r.limit_deg).c_str(), r.perigee_m / 1000, r.apogee_m / 1000,
                r.averageAltitude_m / 1000, count(flown, "mission").c_str()) +
         format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg%s\n",
                r.remainingPropellant_kg, r.sizing.SC_M_kg, why.c_str()) +
         format("In the dialogue: Turn time (s)? %s  Maximum angle of attack (degrees)? %s\n",
                exactText(target.turnTime_s).c_str(), exactText(r.limit_deg).c_str());
}

std::string verdictText(const TargetResult& result) {
  const TargetRun& target = result.run;
  const SearchSettings& settings = result.search;
  const std::size_t flown = target.missions.size();
  const MissionResult* answer = target.answer();
  const LimitSearchResult& search = target.search;
  if (target.verdict == Verdict::Suborbital) {
    return format(
        "Suborbital: limit %s deg gives the average altitude %.3f km, but its perigee %.1f km is "
        "below the minimum perigee %g km (%s)\n",
        exactText(answer->limit_deg).c_str(), answer->averageAltitude_m / 1000,
        answer->perigee_m / 1000, settings.minimumPerigee_m / 1000,
        count(flown, "mission").c_str());
  }
  if (target.verdict == Verdict::Escape && answer == nullptr) {
    return format(
        "Escape: at turn time %s s every limit flown gives a trajectory that does not "
        "close (%s)\n",
        exactText(target.turnTime_s).c_str(), count(flown, "mission").c_str());
  }
  if (target.verdict == Verdict::Escape) {
    return format("Escape: limit %s deg gives a trajectory that does not close (%s)\n",
                  exactText(answer->limit_deg).c_str(), count(flown, "mission").c_str());
  }
  if (search.verdict == LimitVerdict::Converged) return convergedText(result, flown);
  if (search.verdict == LimitVerdict::Unreachable) return unreachableText(target, flown);
  // The budget spent, or the search ended before it.
  const std::string notConverged = flown >= static_cast<std::size_t>(settings.maxMissions)
                                       ? "Not converged within " + count(flown, "mission")
                                       : "Not converged: stopped after " + count(flown, "mission");
  if (answer == nullptr) return format("%s: no orbit reached\n", notConverged.c_str());
  return format(
      "%s%s: best limit %s deg gives %.3f km (error %+.3f km, "
      "tolerance %g km)\n",
      notConverged.c_str(),
      search.jumpsAcross ? " (the average altitude jumps across the target)" : "",
      exactText(answer->limit_deg).c_str(), answer->averageAltitude_m / 1000,
      answer->averageAltitude_m / 1000 - settings.targetAltitude_m / 1000,
      settings.tolerance_m / 1000);
}

}  // namespace

std::string outcomeText(const MissionResult& result) {
  switch (result.outcome) {
    case Outcome::Orbit:
      if (outsideDesign(result)) return "orbit outside the design (no spacecraft mass)";
      if (!(result.perigee_m >= 0)) return "orbit with its perigee below the surface";
      return "orbit";
    case Outcome::Abandoned:
      return std::string("abandoned: ") + abandonText(result.abandonReason);
    case Outcome::Failed:
      break;
  }
  return "failed (" + std::to_string(result.failureCode) + "): " + result.failureReason;
}

std::string flightText(const MissionResult& result, double minimumPerigee_m) {
  switch (classifyFlight(result, minimumPerigee_m)) {
    case FlightClass::Suborbital:
      return format("suborbital: perigee %.1f km", result.perigee_m / 1000);
    case FlightClass::Escape:
      return "escape";
    default:
      return outcomeText(result);
  }
}

std::string flightSummaryText(const FlownMission& flight) {
  const MissionResult& r = flight.result;
  std::string out = format("Turn time %s s, maximum angle of attack %s deg: %s\n",
                           exactText(r.turnTime_s).c_str(), exactText(r.limit_deg).c_str(),
                           flightText(r, flight.minimumPerigee_m).c_str());
  if (r.outcome != Outcome::Orbit) return out;
  // An escape has no perigee or apogee to speak of.
  if (classifyFlight(r, flight.minimumPerigee_m) != FlightClass::Escape) {
    out += format("Perigee %.1f km, apogee %.1f km, average altitude %.3f km\n", r.perigee_m / 1000,
                  r.apogee_m / 1000, r.averageAltitude_m / 1000);
  }
  out += format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg\n",
                r.remainingPropellant_kg, r.sizing.SC_M_kg);
  out += format(
      "Maximum dynamic pressure %.2f kPa at %.2f s, maximum acceleration %.2f m/s^2 at %.2f s\n",
      r.missionPeaks.maxQ_Pa / 1000, r.missionPeaks.maxQTime_s, r.missionPeaks.maxAccel_mps2,
      r.missionPeaks.maxAccelTime_s);
  out += format("Maximum force %.0f N at %.2f s, recommended limit %.4f deg\n", r.maxForce_N,
                r.maxForceTime_s, r.recommendedLimit_deg);
  const PropellantShortfall shortfall = propellantShortfall(r);
  if (shortfall.any()) {
    out += "Short of propellant: " + shortfallText(shortfall) +
           "; no vehicle can fly this, whatever the orbit\n";
  }
  return out;
}

std::string targetText(const TargetResult& target) {
  const SearchSettings& settings = target.search;
  std::string text =
      format("Target: average altitude %g +- %g km at turn time %s s, at most %s\n",
             settings.targetAltitude_m / 1000, settings.tolerance_m / 1000,
             exactText(target.run.turnTime_s).c_str(),
             count(static_cast<std::size_t>(settings.maxMissions), "mission").c_str());
  text += "mission     limit (deg)  average (km)  perigee (km)   apogee (km)  propellant (kg)\n";
  for (std::size_t i = 0; i < target.run.missions.size(); ++i) {
    text += trialLine(i + 1, target.run.missions[i]);
  }
  return text + verdictText(target);
}

}  // namespace ascent

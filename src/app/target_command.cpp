// ascent target: the angle-of-attack limit whose mission has the wanted
// average altitude at one turn time.
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "app/commands.h"
#include "app/mission_output.h"

namespace ascent {

namespace {

std::string trialLine(std::size_t number, const MissionResult& r) {
  if (r.outcome != Outcome::Orbit) {
    return format("%7zu  %14.8f  %s\n", number, r.limitDeg, outcomeText(r).c_str());
  }
  std::string line = format("%7zu  %14.8f  %12.3f  %12.3f  %12.3f  %15.0f", number, r.limitDeg,
                            r.averageAltitude_m / 1000, r.perigee_m / 1000, r.apogee_m / 1000,
                            r.remainingPropellant_kg);
  const std::string state = outcomeText(r);
  if (state != "orbit") line += "  " + state;
  return line + '\n';
}

void printVerdict(const TargetRun& target, const TargetSettings& settings, std::ostream& out) {
  const std::size_t flown = target.missions.size();
  const MissionResult* answer = target.answer();
  const LimitSearchResult& search = target.search;
  if (search.verdict == LimitVerdict::Converged) {
    const MissionResult& r = *answer;
    const bool design = target.verdict == Verdict::Converged;
    out << format(
        "%s: limit %s deg gives a %.1f x %.1f km orbit (average %.3f km) in %zu missions\n",
        design ? "Converged" : "Outside the design", exactText(r.limitDeg).c_str(),
        r.perigee_m / 1000, r.apogee_m / 1000, r.averageAltitude_m / 1000, flown);
    out << format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg%s\n",
                  r.remainingPropellant_kg, r.sizing.SC_M,
                  design ? "" : ": the re-sized upper stage leaves no spacecraft mass");
    out << format("In the dialogue: Turn time (s)? %s  Maximum angle of attack (degrees)? %s\n",
                  exactText(target.turnTime_s).c_str(), exactText(r.limitDeg).c_str());
  } else if (search.verdict == LimitVerdict::Unreachable) {
    if (answer == nullptr) {
      out << format(
          "Unreachable: no limit flown reaches an orbit at turn time %s s (%zu missions)\n",
          exactText(target.turnTime_s).c_str(), flown);
    } else {
      const std::string turnTime = exactText(target.turnTime_s);
      std::string highest = format("the highest found is %.3f km at %.4f deg",
                                   search.highestAltitude_m / 1000, search.highestAtDeg);
      if (search.flatTop) {
        if (search.highestAltitude_m == search.flatAltitude_m) highest.clear();
        out << format(
            "Unreachable: at turn time %s s the average altitude is flat at %.3f km from "
            "a limit of %.4f deg on, where the limit no longer binds%s%s (%zu missions)\n",
            turnTime.c_str(), search.flatAltitude_m / 1000, search.flatFromDeg,
            highest.empty() ? "" : "; ", highest.c_str(), flown);
      } else {
        out << format("Unreachable: at turn time %s s %s (%zu missions)\n", turnTime.c_str(),
                      highest.c_str(), flown);
      }
    }
  } else if (answer == nullptr) {
    out << format("Not converged within %zu missions: no orbit reached\n", flown);
  } else {
    out << format(
        "Not converged within %zu missions%s: best limit %s deg gives %.3f km (error %+.3f km, "
        "tolerance %g km)\n",
        flown, search.jumpsAcross ? " (the average altitude jumps across the target)" : "",
        exactText(answer->limitDeg).c_str(), answer->averageAltitude_m / 1000,
        answer->averageAltitude_m / 1000 - settings.altitude_km, settings.tolerance_km);
  }
}

}  // namespace

int runTargetCommand(const TargetCommand& command, std::ostream& out) {
  const ChosenVehicle chosen = chooseVehicle(command.vehicleFile);
  const ThrustHistory history = ThrustHistory::fromFile(command.thrustFile);
  checkLiftOff(chosen, history);
  const TargetRun target =
      targetTurnTime(history, chosen.vehicle, command.turnTime_s, command.settings);
  const int status =
      target.verdict == Verdict::Converged ? exitStatus::ok : exitStatus::notConverged;
  if (command.json) {
    nlohmann::ordered_json json = {
        {"verdict", verdictName(target.verdict)},
        {"turnTime_s", command.turnTime_s},
        {"targetAltitude_m", command.settings.altitude_km * 1000},
        {"tolerance_m", command.settings.tolerance_km * 1000},
        {"missions", target.missions.size()},
    };
    const MissionResult* answer = target.answer();
    json["limitDeg"] = answer != nullptr ? nlohmann::ordered_json(answer->limitDeg) : nullptr;
    json["highestAltitude_m"] = target.search.highestAltitude_m;
    json["highestAtDeg"] = target.search.highestAtDeg;
    if (target.search.flatTop) {
      json["flatAltitude_m"] = target.search.flatAltitude_m;
      json["flatFromDeg"] = target.search.flatFromDeg;
    }
    json["mission"] = answer != nullptr ? missionJson(*answer, command.thrustFile) : nullptr;
    nlohmann::ordered_json flown = nlohmann::ordered_json::array();
    for (const MissionResult& r : target.missions)
      flown.push_back(missionJson(r, command.thrustFile));
    json["flown"] = std::move(flown);
    json["vehicle"] = vehicleJson(chosen.vehicle);
    out << jsonText(json) << '\n';
    return status;
  }
  out << vehicleLine(chosen);
  out << format("Target: average altitude %g +- %g km at turn time %s s, at most %d missions\n",
                command.settings.altitude_km, command.settings.tolerance_km,
                exactText(command.turnTime_s).c_str(), command.settings.maxMissions);
  out << "mission     limit (deg)  average (km)  perigee (km)   apogee (km)  propellant (kg)\n";
  for (std::size_t i = 0; i < target.missions.size(); ++i)
    out << trialLine(i + 1, target.missions[i]);
  printVerdict(target, command.settings, out);
  return status;
}

}  // namespace ascent

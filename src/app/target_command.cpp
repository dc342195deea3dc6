// ascent target: the angle-of-attack limit whose mission has the wanted
// average altitude at one turn time.
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "app/mission_output.h"

namespace ascent {

namespace {

std::string trialLine(std::size_t number, const MissionResult& r) {
  if (r.outcome != Outcome::Orbit || classifyFlight(r) == FlightClass::Escape) {
    return format("%7zu  %14.8f  %s\n", number, r.limitDeg, flightText(r).c_str());
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
  // The budget spent, or the search ended before it.
  const std::string notConverged = flown >= static_cast<std::size_t>(settings.maxMissions)
                                       ? "Not converged within " + count(flown, "mission")
                                       : "Not converged: stopped after " + count(flown, "mission");
  if (target.verdict == Verdict::Suborbital) {
    out << format(
        "Suborbital: limit %s deg gives the average altitude %.3f km, but its perigee %.1f km is "
        "below the minimum perigee %g km (%s)\n",
        exactText(answer->limitDeg).c_str(), answer->averageAltitude_m / 1000,
        answer->perigee_m / 1000, settings.minimumPerigee_m / 1000,
        count(flown, "mission").c_str());
  } else if (target.verdict == Verdict::Escape) {
    out << format("Escape: limit %s deg gives a trajectory that does not close (%s)\n",
                  exactText(answer->limitDeg).c_str(), count(flown, "mission").c_str());
  } else if (search.verdict == LimitVerdict::Converged) {
    const MissionResult& r = *answer;
    const bool design = target.verdict == Verdict::Converged;
    out << format("%s: limit %s deg gives a %.1f x %.1f km orbit (average %.3f km) in %s\n",
                  design ? "Converged" : "Outside the design", exactText(r.limitDeg).c_str(),
                  r.perigee_m / 1000, r.apogee_m / 1000, r.averageAltitude_m / 1000,
                  count(flown, "mission").c_str());
    out << format("Remaining propellant %.0f kg, spacecraft mass SC_M %.0f kg%s\n",
                  r.remainingPropellant_kg, r.sizing.SC_M,
                  design ? "" : ": the re-sized upper stage leaves no spacecraft mass");
    out << format("In the dialogue: Turn time (s)? %s  Maximum angle of attack (degrees)? %s\n",
                  exactText(target.turnTime_s).c_str(), exactText(r.limitDeg).c_str());
  } else if (search.verdict == LimitVerdict::Unreachable) {
    if (answer == nullptr) {
      out << format("Unreachable: no limit flown reaches an orbit at turn time %s s (%s)\n",
                    exactText(target.turnTime_s).c_str(), count(flown, "mission").c_str());
    } else {
      const std::string turnTime = exactText(target.turnTime_s);
      std::string highest = format("the highest found is %.3f km at %.4f deg",
                                   search.highestAltitude_m / 1000, search.highestAtDeg);
      if (search.flatTop) {
        if (search.highestAltitude_m == search.flatAltitude_m) highest.clear();
        out << format(
            "Unreachable: at turn time %s s the average altitude is flat at %.3f km from "
            "a limit of %.4f deg on, where the limit no longer binds%s%s (%s)\n",
            turnTime.c_str(), search.flatAltitude_m / 1000, search.flatFromDeg,
            highest.empty() ? "" : "; ", highest.c_str(), count(flown, "mission").c_str());
      } else {
        out << format("Unreachable: at turn time %s s %s (%s)\n", turnTime.c_str(), highest.c_str(),
                      count(flown, "mission").c_str());
      }
    }
  } else if (answer == nullptr) {
    out << format("%s: no orbit reached\n", notConverged.c_str());
  } else {
    out << format(
        "%s%s: best limit %s deg gives %.3f km (error %+.3f km, "
        "tolerance %g km)\n",
        notConverged.c_str(),
        search.jumpsAcross ? " (the average altitude jumps across the target)" : "",
        exactText(answer->limitDeg).c_str(), answer->averageAltitude_m / 1000,
        answer->averageAltitude_m / 1000 - settings.altitude_m / 1000, settings.tolerance_m / 1000);
  }
}

}  // namespace

int runTargetCommand(const TargetCommand& command, std::ostream& out, std::ostream& err) {
  OutputSet files;
  addFlightInputs(files, command.thrustFile, command.vehicleFile);
  files.standardOutput();
  refuseClashes(files);
  const FlightInputs inputs = readFlightInputs(command.thrustFile, command.vehicleFile);
  const ChosenVehicle& chosen = inputs.chosen;
  const ThrustHistory& history = inputs.history;
  checkThrustFile(history, chosen.vehicle, command.turnTime_s, err);
  const TargetRun target =
      targetTurnTime(history, chosen.vehicle, command.turnTime_s, command.settings);
  const int status =
      target.verdict == Verdict::Converged ? exitStatus::ok : exitStatus::notConverged;
  const double minimumPerigee_m = command.settings.minimumPerigee_m;
  if (command.json) {
    using json = nlohmann::ordered_json;
    const LimitSearchResult& search = target.search;
    const MissionResult* answer = target.answer();
    const bool reached = answer != nullptr;
    json result = {
        {"verdict", verdictName(target.verdict)},
        {"turn_time_s", command.turnTime_s},
        {"target_altitude_m", command.settings.altitude_m},
        {"tolerance_m", command.settings.tolerance_m},
        {"minimum_perigee_m", minimumPerigee_m},
        {"missions", target.missions.size()},
        {"limit_deg", reached ? json(answer->limitDeg) : json(nullptr)},
        {"highest_altitude_m", reached ? json(search.highestAltitude_m) : json(nullptr)},
        {"highest_at_deg", reached ? json(search.highestAtDeg) : json(nullptr)},
        {"flat_altitude_m", search.flatTop ? json(search.flatAltitude_m) : json(nullptr)},
        {"flat_from_deg", search.flatTop ? json(search.flatFromDeg) : json(nullptr)},
        {"mission",
         reached ? missionJson(*answer, command.thrustFile, minimumPerigee_m) : json(nullptr)},
    };
    json flown = json::array();
    for (const MissionResult& r : target.missions)
      flown.push_back(missionJson(r, command.thrustFile, minimumPerigee_m));
    result["flown"] = std::move(flown);
    result["vehicle"] = vehicleJson(chosen.vehicle);
    writeOut(out, jsonText(result) + '\n');
    return status;
  }
  std::string text = vehicleLine(chosen);
  text += format("Target: average altitude %g +- %g km at turn time %s s, at most %s\n",
                 command.settings.altitude_m / 1000, command.settings.tolerance_m / 1000,
                 exactText(command.turnTime_s).c_str(),
                 count(static_cast<std::size_t>(command.settings.maxMissions), "mission").c_str());
  text += "mission     limit (deg)  average (km)  perigee (km)   apogee (km)  propellant (kg)\n";
  for (std::size_t i = 0; i < target.missions.size(); ++i)
    text += trialLine(i + 1, target.missions[i]);
  std::ostringstream verdict;
  printVerdict(target, command.settings, verdict);
  writeOut(out, text + verdict.str());
  return status;
}

}  // namespace ascent

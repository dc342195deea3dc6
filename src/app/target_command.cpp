// ascent target: the angle-of-attack limit whose mission has the wanted
// average altitude at one turn time.
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "report/flight_text.h"
#include "report/json_text.h"

namespace ascent {

int runTargetCommand(const TargetCommand& command, std::ostream& out, std::ostream& err) {
  const StudyFiles study = openStudyFiles(command.thrust, command.vehicleFile, "", "", err);
  const FlightInputs& inputs = study.inputs;
  checkThrustFile(inputs.history, inputs.chosen, command.turnTime_s, err);
  const TargetResult target =
      targetOrbit(inputs.history, inputs.chosen.vehicle, command.turnTime_s, command.settings);
  writeOut(out, command.json ? jsonText(targetValue(target, inputs.chosen.vehicle)) + '\n'
                             : vehicleLine(inputs.chosen) + targetText(target));
  return target.run.verdict == Verdict::Converged ? exitStatus::ok : exitStatus::noDesign;
}

}  // namespace ascent

// ascent target: the angle-of-attack limit whose mission has the wanted
// average altitude at one turn time.
#include <ostream>

#include "app/command_safety.h"
#include "app/commands.h"
#include "ascent/writers.h"
#include "report/flight_text.h"

namespace ascent {

int runTargetCommand(const TargetCommand& command, std::ostream& out, std::ostream& err) {
  const StudyFiles study = openStudyFiles(command.thrust, command.vehicleFile, "", "", err);
  const FlightInputs& inputs = study.inputs;
  ProgressLine line(err);
  CommandObserver observer(err, line, "target");
  const TargetResult target = runTarget(studyInputs(inputs), command.settings, &observer);
  writeOut(out, command.json ? jsonText(targetValue(target)) + '\n'
                             : vehicleLine(inputs.chosen) + targetText(target));
  return target.run.verdict == Verdict::Converged ? exitStatus::ok : exitStatus::noDesign;
}

}  // namespace ascent

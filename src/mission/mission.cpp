#include "mission/mission.h"

namespace ascent {

void flyMission(RunContext&) {}

}  // namespace ascent

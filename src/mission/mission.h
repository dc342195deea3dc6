// One mission: booster, core and upper-stage phases, then the summary.
#pragma once

#include "app/run_context.h"

namespace ascent {

void flyMission(RunContext& run);

}  // namespace ascent

// One mission: booster, core and upper-stage phases, then the summary's
// computations.
#pragma once

#include "ascent/ascent.h"
#include "mission/thrust_records.h"
#include "physics/standard_atmosphere.h"

namespace ascent {

// Flies one mission on records from `records` (read as the flight needs
// them). The public flyMission is this on a parsed history.
MissionResult flyMission(RecordSource& records, const AtmosphereTables& tables,
                         const Vehicle& vehicle, double turnTime_s, double limit_deg,
                         RunRecord& run, MissionObserver* observer, const FlyOptions& options);

// The standard atmosphere's tables, built once for the whole process.
const AtmosphereTables& sharedAtmosphereTables();

}  // namespace ascent

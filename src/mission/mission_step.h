// The phases advance the flight only through integrateStep; this wrapper adds
// the one check a mission needs between steps.
#pragma once

#include "driver/run_context.h"

namespace ascent {

// Thrown when the vehicle cannot reach orbit: it has fallen back below the
// surface, it has burned so much that its total mass is no longer positive
// (the equations of motion then run away to an overflow), or a speed loop of
// the upper stage has run past latestMissionTime.
struct MissionAbandoned {};

// s: no mission flies this long; a speed loop past it will never end.
constexpr double latestMissionTime = 10000.0;

// One integration step; while the mission is watched (core and upper stage), a
// vehicle below the surface or without positive mass after the step abandons
// the mission. A negative propellant Me alone does not: the summary sizes the
// upper stage for the overdraft.
void step(RunContext& run);

// Abandons the mission when a speed loop has run past latestMissionTime.
void checkMissionTime(const RunContext& run);

}  // namespace ascent

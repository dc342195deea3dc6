// The phases advance the flight only through step(): one integration step,
// the records a mission keeps of it, its report to the observer, and the
// checks a mission needs between steps.
#pragma once

#include "ascent/ascent.h"
#include "mission/mission_context.h"

namespace ascent {

// Thrown when the vehicle cannot reach orbit: it has fallen back below the
// surface, it has burned so much that its total mass is no longer positive
// (the equations of motion then run away to an overflow), or its clock has run
// past latestMissionTime (a speed that is never reached, a burn that never
// ends).
struct MissionAbandoned {
  AbandonReason reason;
};

// s: no mission flies this long, forwards or (with a broken thrust file) backwards.
constexpr double latestMissionTime = 10000.0;

// One integration step of s.dt, then the checks. While the mission is watched
// (core and upper stage) a vehicle below the surface, without positive mass or
// past latestMissionTime abandons the mission; a negative propellant Me alone
// does not: the summary sizes the upper stage for the overdraft. Before that
// (the booster phase, paced by the thrust file) a clock past
// latestMissionTime can only come from thrust records that cannot be flown: a
// run-time error.
void step(Mission& m);

// A mission flown as data (the traps off) fails where the dialogue's trap
// would have ended the run: with the first fault its sticky flags show, as
// run-time error 200, 205 or 207. Called after every step and after the
// summary, whose re-sizing laws can fault too (x^p at x = 0).
void checkFaultFlags(const Mission& m);

// Tells the observer, if any, of an event.
inline void event(Mission& m, Event e, double value = 0) {
  if (m.observer != nullptr) m.observer->event(e, value);
}

// The row of a vehicle standing on the pad: thrust straight up, no air speed.
void padRow(Mission& m, double a);

}  // namespace ascent

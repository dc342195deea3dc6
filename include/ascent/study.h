// What every study shares: what a flown mission counts as, the settings of
// the search for the limit that reaches the target orbit, a targeted turn
// time, what a study flies and whom it tells of its progress.
//
// Every study has one home of the same shape (ascent/fly.h, target.h,
// sweep.h, optimize.h, trade.h, performance.h, campaign.h): its settings
// with their domain table and defaults, one run function that checks
// everything (the settings, the thrust history once, the vehicle) and does
// all the work, and its result with its schema. The command line and the
// Python module only turn their arguments into the settings, call the run
// and write the result.
//
// Studies are deterministic: a result depends only on its inputs and its
// index, never on the number of threads or on scheduling. Nothing here
// prints; callers format what they get.
#pragma once

#include <cstddef>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "ascent/ascent.h"
#include "ascent/schema.h"

namespace ascent {

// What a flown mission reached, as a study counts it.
enum class FlightClass {
  Orbit,       // a closed orbit with its perigee at or above the minimum
  Suborbital,  // a closed orbit whose perigee is below the minimum perigee
  Escape,      // the trajectory does not close (apogee below perigee or not finite)
  Abandoned,   // the mission ended without an orbit (MissionResult::abandonReason)
  Failed,      // the mission could not be flown (MissionResult::failureCode)
};
// "orbit", "suborbital", "escape", "abandoned", "failed".
std::string_view flightClassName(FlightClass flightClass);
// The default minimum perigee of an orbit, m.
constexpr double defaultMinimumPerigee_m = 100e3;
FlightClass classifyFlight(const MissionResult& result,
                           double minimumPerigee_m = defaultMinimumPerigee_m);

// A mission that reached orbit but whose summary is outside the vehicle's
// design: a number that is not finite, or a re-sized upper stage that leaves
// no spacecraft mass (SC_M <= 0).
bool outsideDesign(const MissionResult& result);

// The propellant a flight that reached orbit burned beyond what it carried,
// kg: each booster's residual propellant at separation below zero, and the
// upper stage's remaining propellant below zero. The mission is flown and
// its numbers are what they are (the dialogue prints them), but no such
// flight can be flown: no study counts it as a success, a converged target,
// a best design or an optimum.
struct PropellantShortfall {
  double eachBooster_kg = 0;
  double upperStage_kg = 0;
  bool any() const { return eachBooster_kg > 0 || upperStage_kg > 0; }
};
// None for a mission that did not reach orbit (or whose numbers are not finite).
PropellantShortfall propellantShortfall(const MissionResult& result);
// "each booster 6299 kg short, the upper stage 1265 kg short"; empty for none.
std::string shortfallText(const PropellantShortfall& shortfall);

// The verdict of one targeted turn time.
enum class Verdict {
  Converged,      // within the tolerance, and a design (SC_M > 0)
  OutsideDesign,  // within the tolerance, but no spacecraft mass or not finite
  Unreachable,    // no limit reaches the target altitude
  NotConverged,   // the mission budget ran out
  Suborbital,     // within the tolerance, but the perigee is below the minimum perigee
  Escape,         // within the tolerance, but the trajectory does not close; or no
                  // answer and every mission flown escaped
  Infeasible,     // a design, but its peak dynamic pressure exceeds the limit set
  // Within the tolerance, but a booster or the upper stage burned propellant
  // it does not carry (propellantShortfall).
  NoPropellantLeft,
};
// "converged", "outside_design", "unreachable", "not_converged", "suborbital",
// "escape", "infeasible", "no_propellant_left".
std::string_view verdictName(Verdict verdict);

// The turn times a mission is flown at: from 1 s to the end of the mission
// clock.
constexpr double lowestTurnTime_s = 1, highestTurnTime_s = 10000;
// Why no mission is flown at `turnTime_s` (outside those, or not a number);
// empty when one is.
std::string turnTimeProblem(double turnTime_s);

// The angle-of-attack limits a mission is flown with, deg.
constexpr double lowestLimit_deg = 0, highestLimit_deg = 90;

// No limit on the peak dynamic pressure.
constexpr double noDynamicPressureLimit = std::numeric_limits<double>::infinity();

// How the limit that brings a turn time to the target orbit is searched for.
struct SearchSettings {
  double targetAltitude_m = 200e3;                    // the wanted average orbit altitude
  double tolerance_m = 100;                           // converged within this of it
  int maxMissions = 25;                               // the mission budget
  double firstGuess_deg = 25;                         // the limit of the first mission
  double minimumPerigee_m = defaultMinimumPerigee_m;  // below it: suborbital
  // A design whose peak dynamic pressure (Peaks::maxQ_Pa) exceeds this is
  // infeasible: the load on the structure, not the orbit, rules it out.
  double dynamicPressureLimit_Pa = noDynamicPressureLimit;
  bool limitsDynamicPressure() const { return dynamicPressureLimit_Pa != noDynamicPressureLimit; }
};
// The domain of every number of SearchSettings: target_altitude_m,
// tolerance_m, max_missions, first_guess_deg, minimum_perigee_m and, when
// one is set, dynamic_pressure_limit_Pa.
std::span<const SettingDomain<SearchSettings>> searchSettingsDomain();
// The first value outside its domain, or a tolerance that is not below the
// target altitude (a slip of units: its slipUnit is "m").
SettingProblem settingsProblem(const SearchSettings& settings);

// A turn time targeted: its verdict, the missions its search flew, and its
// answer or closest mission when there is one. The sweep, the optimum, the
// trades and the payload at each altitude compare designs in this one form.
struct SweepRow {
  double turnTime_s = 0;
  Verdict verdict = Verdict::NotConverged;
  std::size_t missions = 0;  // flown by its search
  bool hasMission = false;
  MissionResult mission;  // the answer, or the closest mission (hasMission)
};

// The threads a study runs on, as a front end takes them: 1 to 1024 (the
// field "jobs"). A front end given no number passes 0, the machine's cores.
constexpr unsigned highestJobs = 1024;
std::span<const SettingDomain<unsigned>> jobsDomain();
// Why `jobs` cannot be run on; empty for 0 and every number of the domain.
SettingProblem jobsProblem(unsigned jobs);

// Called on the calling thread as work is done: done of total.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

// What a study flies: the booster thrust history and the vehicle, and the
// vehicle file that described it (empty for none), which refusals name.
struct StudyInputs {
  const ThrustHistory& history;
  const Vehicle& vehicle;
  std::string vehicleFile;
  // "the vehicle file v.toml", "the default vehicle", or "the vehicle" for
  // one given as values.
  std::string vehicleName() const;
};

// What a study tells while it works. Every call but stopRequested() comes
// on the thread that called the study's run, and may throw to end it.
class StudyObserver {
 public:
  virtual ~StudyObserver() = default;
  // The thrust history's records are further apart than the flight's
  // pitch kicks assume (the nominal interval, s): a warning, as the
  // dialogue gives it; the study goes on.
  virtual void longRecordInterval(double /*interval_s*/) {}
  // Work done of total.
  virtual void progress(std::size_t /*done*/, std::size_t /*total*/) {}
  // Asked, from any thread, before each piece of work starts: true ends the
  // study early with the work started delivered.
  virtual bool stopRequested() { return false; }
};

}  // namespace ascent

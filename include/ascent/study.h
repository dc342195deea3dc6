// Studies on the flight: the angle-of-attack limit that reaches an orbit at
// one turn time (targeting), every turn time of a range (sweep), and the
// ordered thread pool they and every later study run on.
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
#include <vector>

#include "ascent/ascent.h"
#include "ascent/schema.h"

namespace ascent {

// What one mission flown at a limit tells the search.
struct LimitProbe {
  // false: abandoned, failed or an absurd orbit; the search treats it as too low.
  bool reached = false;
  double averageAltitude_m = 0;
};

struct LimitSearchOptions {
  double targetAltitude_m = 200e3;
  double tolerance_m = 100;  // converged when |average - target| <= tolerance
  int maxMissions = 25;
  double firstGuess_deg = 25;
  double lowest_deg = 0;  // the limits the search may fly
  double highest_deg = 90;
};

enum class LimitVerdict {
  Converged,     // the best trial is within the tolerance
  Unreachable,   // flat below the target: no limit reaches it
  NotConverged,  // the budget ran out, or the altitude jumps across the target
};

struct LimitTrial {
  double limit_deg;
  LimitProbe probe;
};

struct LimitSearchResult {
  LimitVerdict verdict = LimitVerdict::NotConverged;
  std::vector<LimitTrial> trials;  // in the order flown
  // Converged: the trial within the tolerance. Otherwise the reached trial
  // closest to the target (trials.size() when none reached an orbit).
  std::size_t best = 0;
  // The highest average altitude reached, and the lowest limit flown that
  // gave it.
  double highestAltitude_m = 0;
  double highestAt_deg = 0;
  // Unreachable: the altitude is flat at the highest limits (the limit no
  // longer binds), at flatAltitude_m from about flatFrom_deg on (the lowest
  // limit flown on it).
  bool flatTop = false;
  double flatAltitude_m = 0;
  double flatFrom_deg = 0;
  // NotConverged only: the bracket closed on a jump of the altitude across
  // the target instead of running out of missions.
  bool jumpsAcross = false;
};

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

// A mission as the limit search sees it: only an orbit with a finite, non-
// negative average altitude counts; anything else is "too low".
LimitProbe probeOf(const MissionResult& result);

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
};
// "converged", "outside-design", "unreachable", "not-converged", "suborbital",
// "escape", "infeasible".
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

struct SearchSettings {
  double altitude_m = 200e3;                          // the wanted average orbit altitude
  double tolerance_m = 100;                           // converged within this of it
  int maxMissions = 25;                               // the mission budget
  double firstGuess_deg = 25;                         // the limit of the first mission
  double minimumPerigee_m = defaultMinimumPerigee_m;  // below it: suborbital
  // A design whose peak dynamic pressure (MissionPeaks::maxQ_Pa) exceeds this
  // is infeasible: the load on the structure, not the orbit, rules it out.
  double dynamicPressureLimit_Pa = noDynamicPressureLimit;
  bool limitsDynamicPressure() const { return dynamicPressureLimit_Pa != noDynamicPressureLimit; }
};
// The domain of every number of SearchSettings (the dynamic-pressure limit,
// max_dynamic_pressure_Pa, only when one is set).
std::span<const SettingDomain<SearchSettings>> searchSettingsDomain();
// The first number of `settings` outside its domain ("the target altitude
// 0.5 km is outside 1 to 100000 km"); empty when every one is inside. Every
// study that targets refuses such settings with std::invalid_argument.
std::string settingsProblem(const SearchSettings& settings);

// One turn time targeted: the search and the missions it flew.
struct TargetRun {
  double turnTime_s = 0;
  LimitSearchResult search;
  std::vector<MissionResult> missions;  // one per trial
  Verdict verdict = Verdict::NotConverged;
  // The mission of the answer (converged) or the closest one; null when no
  // mission reached an orbit.
  const MissionResult* answer() const;
};

// Targets the orbit at one turn time: every mission is the first of a run of
// its own, so it flies the same numbers as the dialogue's first mission with
// this turn time and limit.
TargetRun targetTurnTime(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& settings);

// One row of a sweep: a turn time and what targeting it gave.
struct SweepRow {
  double turnTime_s = 0;
  Verdict verdict = Verdict::NotConverged;
  std::size_t missions = 0;  // flown by its search
  bool hasMission = false;
  MissionResult mission;  // the answer, or the closest mission (hasMission)
};

// Targets every turn time, each from the same first guess (a row depends
// only on its turn time), on `jobs` threads (0: the machine's cores).
// `onRow` is called on the calling thread for every row in index order, as
// soon as it and every row before it are done; `stop`, checked before each
// turn time is started, ends the sweep early. Returns the rows delivered.
std::size_t sweepTurnTimes(const ThrustHistory& history, const Vehicle& vehicle,
                           const std::vector<double>& turnTimes, const SearchSettings& settings,
                           unsigned jobs, const std::function<void(const SweepRow&)>& onRow,
                           const std::function<bool()>& stop = {});

// The converged turn time with the largest spacecraft mass among those with
// propellant left; rows.size() when there is none.
std::size_t bestDesign(const std::vector<SweepRow>& rows);
// The same rule one row at a time, for rows that are not kept: whether `row`
// is a better design than `best` (null: none yet).
bool betterDesign(const SweepRow& row, const SweepRow* best);

// The threads a study runs on, as a front end takes them: 1 to 1024 (the
// field "jobs"). A front end given no number passes 0, the machine's cores.
constexpr unsigned highestJobs = 1024;
std::span<const SettingDomain<unsigned>> jobsDomain();
// Why `jobs` cannot be run on; empty for 0 and every number of the domain.
std::string jobsProblem(unsigned jobs);

// The most turn times one sweep targets.
constexpr std::size_t highestSweepTurnTimes = 1000000;

// The turn times of "FROM:TO:STEP": FROM + k * STEP (k = 0, 1, ...) up to TO,
// each computed from FROM, not accumulated, so every shard and thread gets
// the same bits, and rounded to the decimals of FROM and STEP (18.15, not
// 18.150000000000002). Throws std::invalid_argument with the reason: not
// three numbers, STEP <= 0 or FROM > TO, a turn time outside 1 to 10000 s,
// more than highestSweepTurnTimes turn times, a step too small to tell two
// turn times apart.
std::vector<double> turnTimeRange(std::string_view text);

// The part of a sweep flown here: shard `index` of `count` takes the turn
// times k = index-1, index-1+count, ... of the range.
struct Shard {
  std::size_t index = 1, count = 1;
};
// "I/N" with 1 <= I <= N <= highestSweepTurnTimes, decimal digits only;
// throws std::invalid_argument naming the text otherwise.
Shard parseShard(std::string_view text);
// Why `shard` names no part of a sweep; empty when it does.
std::string shardProblem(const Shard& shard);
// The shard's turn times of `turnTimes`, in order.
std::vector<double> shardSelection(const std::vector<double>& turnTimes, const Shard& shard);

struct SweepSettings {
  std::vector<double> turnTimes;  // the whole range (turnTimeRange)
  SearchSettings search;
  unsigned jobs = 0;  // 0: the machine's cores
  Shard shard;
};
// The first setting of a sweep that cannot be flown: a turn time outside its
// domain, target settings, jobs, the shard; empty when none.
std::string settingsProblem(const SweepSettings& settings);
// Targets the shard's turn times as sweepTurnTimes does; throws
// std::invalid_argument (settingsProblem) before any mission is flown, and
// ThrustFileError or VehicleError when the history or the vehicle's values
// cannot be flown at the shard's last turn time.
std::size_t sweep(const ThrustHistory& history, const Vehicle& vehicle,
                  const SweepSettings& settings, const std::function<void(const SweepRow&)>& onRow,
                  const std::function<bool()>& stop = {});

// The ordered thread pool. Runs work(i) for every i < count on `jobs`
// threads (0: the machine's cores; 1: all on the calling thread) and calls
// deliver(i) on the calling thread in index order, as soon as i and every
// index before it are done. Workers never run more than
// runWindow(count, jobs, window) indices ahead of the last one delivered, so
// a caller that frees what it delivered keeps at most that many results.
// `stop` is checked before each index is taken: once it returns true no new
// index starts and the indices already done are delivered. An exception from work or deliver stops
// the pool and is rethrown here. Returns how many indices were delivered.
std::size_t runInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& deliver,
                       const std::function<bool()>& stop = {}, std::size_t window = 4096);
// The window runInOrder keeps for these arguments: `window`, raised to the
// number of threads it runs, since every thread holds an index in flight. A
// caller's ring of results needs this many slots, not `window`.
std::size_t runWindow(std::size_t count, unsigned jobs, std::size_t window = 4096);

// The number of threads `jobs` means: itself, or the machine's cores for 0.
unsigned resolveJobs(unsigned jobs);

}  // namespace ascent

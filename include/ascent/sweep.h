// The sweep study: every turn time of a range targeted, each from the same
// first guess, so a row depends only on its turn time; rows are delivered in
// turn-time order whatever the number of threads. A shard flies every N-th
// turn time, so shards on several machines together give the whole sweep.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "ascent/study.h"

namespace ascent {

// The most turn times one sweep targets.
constexpr std::size_t highestSweepTurnTimes = 1000000;

// The part of a sweep flown here: shard `index` of `count` takes the turn
// times k = index-1, index-1+count, ... of the range.
struct Shard {
  std::size_t index = 1, count = 1;
};
// Why `shard` names no part of a sweep; empty when it does.
std::string shardProblem(const Shard& shard);
// The shard's turn times of `turnTimes`, in order.
std::vector<double> shardSelection(const std::vector<double>& turnTimes, const Shard& shard);

struct SweepSettings {
  std::vector<double> turnTimes;  // the whole range, in order
  SearchSettings search;
  Shard shard;
};
// The first setting of a sweep that cannot be flown: no turn time or too
// many, a turn time outside its domain, the search settings, the shard.
SettingProblem settingsProblem(const SweepSettings& settings);

// Receives the rows of a sweep, on the calling thread, in turn-time order.
class SweepObserver : public StudyObserver {
 public:
  virtual void row(const SweepRow& row) = 0;
};

// What a sweep gave besides its rows, counted as they arrive.
struct SweepResult {
  std::size_t turnTimes = 0;  // rows delivered (fewer than the shard's when stopped)
  std::size_t converged = 0, infeasible = 0, noPropellantLeft = 0, missions = 0;
  bool found = false;  // some row is a design
  SweepRow best;       // the heaviest design (betterDesign), when found
  void add(const SweepRow& row);
};

// Targets the shard's turn times on `jobs` threads (0: the machine's cores).
// Throws InputError for settings or jobs outside their domains, then
// ThrustFileError or VehicleError when the history or the vehicle's values
// cannot be flown at the shard's last turn time, before any mission.
SweepResult runSweep(const StudyInputs& inputs, const SweepSettings& settings, unsigned jobs,
                     SweepObserver& observer);

// The same rule as the sweep's best, one row at a time: whether `row` is a
// converged design with propellant left that is heavier than `best` (null:
// none yet).
bool betterDesign(const SweepRow& row, const SweepRow* best);

// turn_time_s, limit_deg, verdict, missions, perigee_m, apogee_m,
// average_altitude_m, remaining_propellant_kg, SC_M_kg,
// max_dynamic_pressure_Pa, max_acceleration_mps2, max_force_N; the mission's
// numbers are null for a turn time where no mission reached an orbit.
Schema<SweepRow> sweepSchema();

}  // namespace ascent

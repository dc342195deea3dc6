// The optimize study: the turn time within a range that gives the heaviest
// spacecraft. A coarse scan on the thread pool brackets the best turn time,
// then a golden-section search closes in on the spacecraft mass computed
// without rounding (SC_M_unrounded_kg); a turn time that is not a feasible
// design counts as the lightest.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "ascent/study.h"

namespace ascent {

struct OptimizeSettings {
  double from_s = 5;  // the turn times searched
  double to_s = 120;
  // Turn times of the coarse scan, evenly spaced from from_s to to_s.
  int scanPoints = 10;
  // The search ends when the bracket around the best is narrower than this.
  double turnTimeTolerance_s = 1;
  // A design must have upper-stage propellant left (false: the re-sized stage
  // takes the propellant it used, whatever was loaded).
  bool propellantLeft = true;
  SearchSettings search;
};
// The domain of every number of OptimizeSettings but its search settings
// (searchSettingsDomain): from_s, to_s, scan_points, turn_time_tolerance_s.
std::span<const SettingDomain<OptimizeSettings>> optimizeSettingsDomain();
// The first setting outside its domain, a first turn time after the last,
// or the first search setting outside its own; empty when none.
SettingProblem settingsProblem(const OptimizeSettings& settings);

// A turn time that can carry a spacecraft: converged (so within the
// dynamic-pressure limit of its search settings and with propellant left)
// with a finite spacecraft mass. With propellantLeft false (the trades) a
// design short of propellant counts too: the re-sized stage takes the
// propellant it used, and the trade flags the ratios built on it.
bool feasibleDesign(const SweepRow& row, bool propellantLeft = true);

// What rules a turn time out as a design when it reaches the orbit: its
// peak dynamic pressure over the limit, or its propellant short.
enum class Constraint { None, DynamicPressure, Propellant };
// "dynamic_pressure", "propellant"; "none".
std::string_view constraintName(Constraint constraint);

// Of turn times without a design, the one nearest to being one, by its
// verdict: over the dynamic-pressure limit or short of propellant (the
// least short first), then outside the design, suborbital, escape, not
// converged and unreachable; the first of equals. rows.size() for no rows.
std::size_t nearestToDesign(const std::vector<SweepRow>& rows);

struct OptimizeResult {
  // Every turn time targeted: the scan in turn-time order, then the search's
  // in the order flown.
  std::vector<SweepRow> candidates;
  std::size_t scanned = 0;   // the first `scanned` candidates are the scan
  std::size_t best = 0;      // candidates.size() when none is feasible
  std::size_t missions = 0;  // flown by all the searches together
  // The flat top: the feasible candidates whose SC_M is within 1 kg of the
  // best's span these turn times (both the best's when it stands alone).
  double flatFrom_s = 0, flatTo_s = 0;
  std::size_t flatCount = 0;
  // The optimum's turn time is within the search's final tolerance
  // (turnTimeTolerance_s) of from_s or to_s: the search could not tell it
  // from the end of the range, and a wider range may hold a heavier design.
  bool atRangeEdge = false;
  // The constraint on whose boundary the optimum lies (within 0.01 s):
  // a heavier design is over its limit.
  Constraint binding = Constraint::None;
  // Without an optimum: the candidate nearest to a design (nearestToDesign).
  std::size_t nearest = 0;
  bool found() const { return best < candidates.size(); }
  const SweepRow& optimum() const { return candidates[best]; }

  // What it was computed from, for its schema.
  OptimizeSettings settings;
  std::string thrustFile;
  Vehicle vehicle;
};

// The optimum on `jobs` threads (0: the machine's cores). The optimum is the
// candidate with the largest SC_M, the unrounded mass deciding between
// equals. Throws InputError for settings or jobs outside their domains, then
// ThrustFileError or VehicleError when the history or the vehicle's values
// cannot be flown at to_s, before any mission.
OptimizeResult runOptimize(const StudyInputs& inputs, const OptimizeSettings& settings,
                           unsigned jobs, StudyObserver* observer = nullptr);

// turn_time_s, verdict, missions, limit_deg, SC_M_kg, SC_M_unrounded_kg.
Schema<SweepRow> candidateSchema();

// program, version, thrust_file, from_s, to_s, constraints, found, missions,
// turn_times_targeted, scanned; turn_time_s, limit_deg, SC_M_kg,
// SC_M_unrounded_kg, flat_top {from_s, to_s, turn_times}, at_range_edge and
// mission (null when none is found); candidates (candidateSchema), vehicle.
Schema<OptimizeResult> optimizeSchema();
Value optimizeValue(const OptimizeResult& result);

}  // namespace ascent

// The performance study: payload against target altitude. For each circular
// orbit, the heaviest spacecraft the vehicle carries there, found as the
// optimize study finds it with the vehicle's guidance aimed at that orbit.
// A row depends only on its altitude, never on the number of threads or on
// the other altitudes asked for.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ascent/optimize.h"

namespace ascent {

// The most altitudes one performance study flies.
constexpr std::size_t highestPerformanceAltitudes = 10000;

struct PerformanceSettings {
  std::vector<double> altitudes_m;  // each a circular orbit, in the order given
  // The search at every altitude; its target altitude is replaced by each
  // altitude in turn.
  OptimizeSettings optimize;
};
// The first setting that cannot be flown: no altitude or too many, an
// altitude outside the target altitude's domain, the search's settings;
// empty when none.
SettingProblem settingsProblem(const PerformanceSettings& settings);

// The vehicle and the search of one altitude: the guidance aimed at it
// (guidance.target_altitude_m) and the search targeting it.
Vehicle vehicleAimedAt(const Vehicle& vehicle, double altitude_m);
OptimizeSettings settingsAt(const OptimizeSettings& settings, double altitude_m);

struct PerformanceRow {
  double altitude_m = 0;
  bool found = false;  // some turn time of the range gives a design
  // The optimum when found; else the turn time that came nearest to a design
  // (nearestToDesign), whose verdict is the row's.
  SweepRow design;
  bool atRangeEdge = false;  // found: OptimizeResult::atRangeEdge
  std::size_t missions = 0;  // flown at this altitude
  std::size_t turnTimesTargeted = 0;
};

struct PerformanceResult {
  std::vector<PerformanceRow> rows;  // one per altitude, in the order given
  std::size_t missions = 0;
  bool found() const;  // some altitude has a design

  // What it was computed from, for its schema.
  PerformanceSettings settings;
  std::string thrustFile;
  Vehicle vehicle;
};

// The optimum at every altitude on `jobs` threads (0: the machine's cores):
// the scans of all altitudes share the thread pool, then the golden-section
// searches run an altitude to a thread; the progress counts the scan's turn
// times and the altitudes finished. Throws InputError for settings or jobs
// outside their domains, then ThrustFileError or VehicleError when the
// history or the vehicle's values cannot be flown at to_s, before any
// mission.
PerformanceResult runPerformance(const StudyInputs& inputs, const PerformanceSettings& settings,
                                 unsigned jobs, StudyObserver* observer = nullptr);

// target_altitude_m, turn_time_s, limit_deg, SC_M_kg,
// remaining_propellant_kg, perigee_m, apogee_m, missions, verdict,
// at_range_edge; the design's numbers are null at an altitude without one.
Schema<PerformanceRow> performanceRowSchema();

// program, version, thrust_file, from_s, to_s, constraints, missions, rows
// (performanceRowSchema), vehicle (as given: each row aims its guidance at
// its own altitude).
Schema<PerformanceResult> performanceSchema();
Value performanceValue(const PerformanceResult& result);

}  // namespace ascent

// Payload against target altitude: for each circular orbit, the heaviest
// spacecraft the vehicle carries there, found as optimizeTurnTime finds it
// with the vehicle's guidance aimed at that orbit.
//
// A row depends only on its altitude, never on the number of threads or on
// the other altitudes asked for.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/design_schema.h"
#include "ascent/trade.h"

namespace ascent {

// The most altitudes one performance study flies.
constexpr std::size_t highestPerformanceAltitudes = 10000;

// The altitudes of "FROM:TO:STEP" in km, as m: FROM + k * STEP (k = 0, 1,
// ...) up to TO, each computed from FROM and rounded to the decimals of FROM
// and STEP, as turnTimeRange does. Throws std::invalid_argument with the
// reason: not three numbers, STEP <= 0 or FROM > TO, an altitude outside the
// target altitude's domain, more than highestPerformanceAltitudes, a step too
// small to tell two altitudes apart.
std::vector<double> altitudeRange(std::string_view text);

struct PerformanceSettings {
  std::vector<double> altitudes_m;  // each a circular orbit, in the order given
  // The search at every altitude; its target altitude is replaced by each
  // altitude in turn.
  OptimizeSettings optimize;
};
// The first setting that cannot be flown: no altitude or too many, an
// altitude outside the target altitude's domain, the search's settings;
// empty when none.
std::string settingsProblem(const PerformanceSettings& settings);

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
};

// Of turn times without a design, the one nearest to being one, by its
// verdict: infeasible (over the dynamic-pressure limit), then no propellant
// left, outside the design, suborbital, escape, not converged and
// unreachable; the first of equals. rows.size() for no rows.
std::size_t nearestToDesign(const std::vector<SweepRow>& rows);

// The optimum at every altitude on `jobs` threads (0: the machine's cores):
// the scans of all altitudes share the thread pool, then the golden-section
// searches run an altitude to a thread. `progress` counts the scan's turn
// times and the altitudes finished. Throws std::invalid_argument
// (settingsProblem, jobsProblem) before any mission.
PerformanceResult performance(const ThrustHistory& history, const Vehicle& vehicle,
                              const PerformanceSettings& settings, unsigned jobs,
                              const Progress& progress = {});

// target_altitude_m, turn_time_s, limit_deg, SC_M_kg,
// remaining_propellant_kg, perigee_m, apogee_m, missions, verdict,
// at_range_edge; the design's numbers are null at an altitude without one.
Schema<PerformanceRow> performanceRowSchema();

// program, version, thrust_file, from_s, to_s, constraints (when set),
// missions, rows (performanceRowSchema), vehicle (as given: each row aims
// its guidance at its own altitude).
Value performanceValue(const PerformanceResult& result, const PerformanceSettings& settings,
                       const DesignInputs& inputs);

}  // namespace ascent

// Trades on the vehicle: the turn time that gives the heaviest spacecraft,
// and what one unit of each vehicle value is worth in spacecraft mass.
//
// Both target the orbit with the same search as a single turn time
// (targetTurnTime) and run on the ordered thread pool: their results depend
// only on their inputs, never on the number of threads.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/study.h"

namespace ascent {

// Called on the calling thread as work is done: done of total.
using Progress = std::function<void(std::size_t done, std::size_t total)>;

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

// The domain of every number of OptimizeSettings but its target settings
// (searchSettingsDomain): from_s, to_s, scan_points, turn_time_tolerance_s.
std::span<const SettingDomain<OptimizeSettings>> optimizeSettingsDomain();
// The first setting outside its domain, a first turn time after the last,
// or the first target setting outside its own; empty when none.
std::string settingsProblem(const OptimizeSettings& settings);
// The turn times "FROM:TO" of an optimization, in s, into from_s and to_s;
// throws std::invalid_argument when the text is not two numbers.
void parseTurnTimeSpan(std::string_view text, OptimizeSettings& settings);

// A turn time that can carry a spacecraft: converged (so within the
// dynamic-pressure limit of its target settings) with a finite spacecraft
// mass and, when asked, propellant left.
bool feasibleDesign(const SweepRow& row, bool propellantLeft = true);

// A targeted turn time's verdict: its search's (the same order as Verdict),
// or NoPropellantLeft for a converged one that left no upper-stage
// propellant (no design).
enum class CandidateVerdict {
  Converged,
  OutsideDesign,
  Unreachable,
  NotConverged,
  Suborbital,
  Escape,
  Infeasible,
  NoPropellantLeft,
};
CandidateVerdict candidateVerdict(const SweepRow& row);
// The verdictName of a search's verdict, or "no-propellant-left".
std::string_view candidateVerdictName(CandidateVerdict verdict);

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
  bool found() const { return best < candidates.size(); }
  const SweepRow& optimum() const { return candidates[best]; }
};

// The turn time within [from_s, to_s] that gives the largest spacecraft
// mass. A coarse scan on `jobs` threads brackets the best turn time, then a
// golden-section search closes in on the spacecraft mass computed without
// rounding (SC_M_unrounded); a turn time that is not a feasible design (no
// design, or one over the dynamic-pressure limit) counts as the lightest. The
// optimum is the candidate with the largest SC_M, the unrounded mass deciding
// between equals. Throws std::invalid_argument (settingsProblem, jobsProblem)
// before any mission, and ThrustFileError or VehicleError when the history or
// the vehicle's values cannot be flown at to_s.
OptimizeResult optimizeTurnTime(const ThrustHistory& history, const Vehicle& vehicle,
                                const OptimizeSettings& settings, unsigned jobs,
                                const Progress& progress = {});

enum class TradeStatus {
  Ok,
  Invalid,    // a changed value makes the vehicle invalid (vehicleProblems)
  Unflyable,  // the changed vehicle reaches no design at the turn time
};
// "ok", "invalid", "unflyable".
std::string_view tradeStatusName(TradeStatus status);

// The unit of a ratio of spacecraft mass to a key of `unit`: "kg/N",
// "kg/(m/s)" (a compound unit), "kg" for a key without a unit ("-").
std::string ratioUnit(const std::string& unit);

struct TradeSettings {
  double turnTime_s = 50;   // the turn time held fixed
  bool reoptimize = false;  // true: the best turn time of every changed vehicle instead
  OptimizeSettings optimize;
  double relativeStep = 0.01;  // the smaller step, a fraction of the value; the larger is twice it
  std::vector<std::string> keys;  // the keys traded; empty: every key of vehicleKeys()
};
// The domain of turn_time_s and relative_step.
std::span<const SettingDomain<TradeSettings>> tradeSettingsDomain();
// Why `keys` cannot be traded: an empty list, a name that is not a vehicle
// key (with the nearest key), a key given twice; empty when they can. Every
// unknown name is reported before a repeat.
std::string tradeKeysProblem(const std::vector<std::string>& keys);
// The keys of "a,b,..." as typed; throws std::invalid_argument
// (tradeKeysProblem) when they cannot be traded.
std::vector<std::string> parseTradeKeys(std::string_view text);
// The first setting of a trade that cannot be used (the turn time held or
// the optimization's settings, the step, the target settings, the keys when
// any are named); empty when none.
std::string settingsProblem(const TradeSettings& settings);

struct TradeRow {
  std::string key;
  std::string unit;
  double value = 0;  // in the vehicle traded
  double step = 0;   // the smaller step, in the key's unit
  TradeStatus status = TradeStatus::Ok;
  std::string reason;  // Invalid, Unflyable: why
  // d SC_M / d key by central differences with the smaller step (kg per
  // unit), and the difference from the larger step's.
  double ratio = 0;
  double error = 0;  // NaN when the larger steps could not be flown
  // SC_M with the key one step below and one step above, minus the base's (kg).
  double below_kg = 0, above_kg = 0;
  // The effect of a 1 % change: ratio * value / 100 (kg).
  double effect_kg = 0;
};

struct TradeResult {
  bool baseFeasible = false;
  std::string baseReason;
  SweepRow base;               // the vehicle as given
  std::vector<TradeRow> rows;  // by |effect| descending; Ok rows first
  std::size_t missions = 0;
};

// Exchange ratios of spacecraft mass against the keys of the settings, the
// orbit targeted again for every changed vehicle. Throws
// std::invalid_argument (settingsProblem, jobsProblem) before any mission,
// and ThrustFileError or VehicleError when the history or the vehicle as
// given cannot be flown at the turn time (to_s when reoptimized).
TradeResult tradeRatios(const ThrustHistory& history, const Vehicle& vehicle,
                        const TradeSettings& settings, unsigned jobs,
                        const Progress& progress = {});

}  // namespace ascent

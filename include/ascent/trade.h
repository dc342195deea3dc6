// The trade study: what one unit of each vehicle value is worth in
// spacecraft mass, by central differences with the orbit targeted again for
// every changed vehicle (at a fixed turn time, or at each vehicle's best).
// Each key moves what follows from it (deriveVehicleKeys) and the booster
// scales the propellant they burn, so every vehicle flown is one vehicle;
// a ratio of the re-sizing's bookkeeping, one built on a flight short of
// propellant and one that cannot move SC_M are told apart from the gains.
//
// The spacecraft mass moves in steps of a few kilograms with the integration
// step on which the upper stage's burn ends, so the steps are large (1 % and
// 2 % of the value by default): the mass changes by far more than the
// unevenness on most keys, and the difference between the two steps'
// ratios shows where it does not.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/optimize.h"
#include "ascent/study.h"

namespace ascent {

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
// The first setting of a trade that cannot be used (the turn time held or
// the optimization's settings, the step, the search settings, the keys when
// any are named); empty when none.
SettingProblem settingsProblem(const TradeSettings& settings);

enum class TradeStatus {
  Ok,
  // SC_M is the same to the bit one step either side: the ratio is 0 and
  // the reason says why rather than ranking it.
  NoEffect,
  // A ratio built on a flight that burns propellant it does not carry (a
  // booster's residual or the upper stage's propellant left below zero, in
  // any evaluation the row uses): flagged, never ranked as a gain.
  ShortOfPropellant,
  Invalid,    // a changed value makes the vehicle invalid (vehicleProblems)
  Unflyable,  // the changed vehicle reaches no design at the turn time
};
// "ok", "no_effect", "short_of_propellant", "invalid", "unflyable".
std::string_view tradeStatusName(TradeStatus status);

// The unit of a ratio of spacecraft mass to a key of `unit`: "kg/N",
// "kg/(m/s)" (a compound unit), "kg" for a key without a unit ("-").
std::string ratioUnit(const std::string& unit);

// Whether the flight reads the key: the re-sizing's keys only share out
// the stack after the flight, so their ratios are SC_M's bookkeeping.
bool keyChangesFlight(std::string_view key);

struct TradeRow {
  std::string key;
  std::string unit;
  double value = 0;  // in the vehicle traded
  double step = 0;   // the smaller step, in the key's unit
  TradeStatus status = TradeStatus::Ok;
  bool changesFlight = true;  // keyChangesFlight
  // The keys moved with it: those that follow from it (deriveVehicleKeys),
  // and for the booster scales boosters.propellant_kg, so that each booster
  // leaves what it left before at separation.
  std::vector<std::string> movedWith;
  std::string reason;  // NoEffect, ShortOfPropellant, Invalid, Unflyable: why
  // d SC_M / d key by central differences with the smaller step (kg per
  // unit), and the difference from the larger step's.
  double ratio = 0;
  double error = 0;  // NaN when the larger steps could not be flown
  // SC_M with the key one step below and one step above, minus the base's (kg).
  double below_kg = 0, above_kg = 0;
  // The effect of a 1 % change: ratio * value / 100 (kg).
  double effect_kg = 0;
  // The largest propellant short (each booster's and the upper stage's) of
  // the flights the ratio is built on, the base and one step either side
  // (kg); 0 when none is short. The error needs the two steps either side
  // flown with the propellant they carry.
  double shortOfPropellant_kg = 0;
  // Not Invalid or Unflyable: the numbers are set.
  bool traded() const { return status != TradeStatus::Invalid && status != TradeStatus::Unflyable; }
};

struct TradeResult {
  bool baseFeasible = false;
  std::string baseReason;
  SweepRow base;  // the vehicle as given
  // Apart, each by |effect| descending: Ok rows that change the flight, Ok
  // rows of the re-sizing's keys, rows short of propellant, rows of no
  // effect, and the keys that could not be traded.
  std::vector<TradeRow> rows;
  std::size_t missions = 0;

  // What it was computed from, for its schema.
  TradeSettings settings;
  std::string thrustFile;
  Vehicle vehicle;
};

// Exchange ratios of spacecraft mass against the keys of the settings on
// `jobs` threads (0: the machine's cores). Throws InputError for settings or
// jobs outside their domains, then ThrustFileError or VehicleError when the
// history or the vehicle as given cannot be flown at the turn time (to_s
// when reoptimized), before any mission.
TradeResult runTrade(const StudyInputs& inputs, const TradeSettings& settings, unsigned jobs,
                     StudyObserver* observer = nullptr);

// key, unit, value, step, status, changes_flight, moved_with, ratio,
// ratio_unit, error, below_kg, above_kg, effect_1pct_kg,
// short_of_propellant_kg, reason; the numbers of a key that could not be
// traded are null, and so is the error when the larger steps could not be
// flown.
Schema<TradeRow> tradeRowSchema();

// program, version, thrust_file, base_feasible, reason, reoptimized,
// turn_time_s, SC_M_kg, SC_M_unrounded_kg, relative_step, missions, trades
// (tradeRowSchema), vehicle; the base's numbers and the trades are null for
// a vehicle without a design as given.
Schema<TradeResult> tradeSchema();
Value tradeValue(const TradeResult& result);

}  // namespace ascent

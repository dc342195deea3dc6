// Exchange ratios: the spacecraft mass bought by one unit of each vehicle
// value, by central differences with the orbit targeted again.
//
// The spacecraft mass moves in steps of a few kilograms with the integration
// step on which the upper stage's burn ends, so the steps are large (1 % and
// 2 % of the value by default): the mass changes by far more than the
// unevenness on most keys, and the difference between the two steps'
// ratios shows where it does not.
#include "ascent/trade.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "study/optimize/search.h"
#include "study/targeting.h"
#include "study/thread_pool.h"
#include "study/trade/evaluation.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<TradeSettings> tradeTable[] = {
    {"turn_time_s", "the turn time", [](const TradeSettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"relative_step", "the relative step", [](const TradeSettings& s) { return s.relativeStep; },
     0, 0.25, false, false, "", 1},
};
// clang-format on

// The boosters burn by the thrust history, whatever the trajectory: the
// propellant each has left at separation, kg, from the booster phase flown
// alone; NaN when they do not reach separation.
double boosterResidual_kg(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s) {
  struct Separation : MissionObserver {
    double residual_kg = std::numeric_limits<double>::quiet_NaN();
    void event(Event event, double value) override {
      if (event != Event::BoosterSeparation) return;
      residual_kg = value;
      // The rest of the mission is not needed: ending it here is its
      // Failed outcome, which is not read.
      throw Error(0, "booster separation reached");
    }
  } separation;
  RunRecord run;
  flyMission(history, vehicle, turnTime_s, 0, run, &separation);
  return separation.residual_kg;
}

// The booster scales change the propellant the thrust history burns: traded
// alone, a higher scale burns propellant the boosters do not carry. They
// move boosters.propellant_kg with them so that each booster leaves at
// separation what it left before.
bool burnsBoosterPropellant(std::string_view key) {
  return key == "boosters.thrust_scale" || key == "boosters.time_scale";
}

// What the trade flies for `key` at `value`: the vehicle with what follows
// from the key (deriveVehicleKeys) and the propellant the boosters burn.
ChangedVehicle changeKey(const StudyInputs& inputs, const VehicleKey& key, double value,
                         double turnTime_s, double baseResidual_kg) {
  ChangedVehicle c;
  c.vehicle = inputs.vehicle;
  key.set(c.vehicle, value);
  const std::string name(key.key);
  const VehicleDerivation derivation =
      deriveVehicleKeys(inputs.vehicle, c.vehicle, std::span<const std::string>(&name, 1));
  for (const DerivedKey& derived : derivation.derived) c.moved.emplace_back(derived.key);
  for (const KeyConflict& conflict : derivation.conflicts) {
    if (conflict.refused) c.problem = conflict.text();
  }
  if (!c.problem.empty() || !burnsBoosterPropellant(key.key) ||
      !vehicleProblems(c.vehicle).empty()) {
    return c;
  }
  const double residual_kg = boosterResidual_kg(inputs.history, c.vehicle, turnTime_s);
  if (!std::isfinite(residual_kg) || !std::isfinite(baseResidual_kg)) {
    c.missions = 1;
    c.problem = "the boosters do not reach separation, so boosters.propellant_kg cannot be matched";
    return c;
  }
  c.missions = 1;
  c.vehicle.boosters.propellant_kg =
      c.vehicle.boosters.propellant_kg + (baseResidual_kg - residual_kg);
  c.moved.emplace_back("boosters.propellant_kg");
  return c;
}

Evaluation evaluate(const ThrustHistory& history, const ChangedVehicle& changed,
                    const TradeSettings& settings) {
  Evaluation e;
  e.moved = changed.moved;
  e.missions = changed.missions;
  const Vehicle& vehicle = changed.vehicle;
  const std::vector<std::string> problems = vehicleProblems(vehicle);
  if (!changed.problem.empty() || !problems.empty()) {
    e.status = TradeStatus::Invalid;
    e.reason = changed.problem.empty() ? problems.front() : changed.problem;
    return e;
  }
  if (settings.reoptimize) {
    // Like the fixed turn time, a design that overdraws its propellant counts
    // (the re-sized stage carries what it used), and its row is flagged.
    OptimizeSettings optimize = settings.optimize;
    optimize.propellantLeft = false;
    const OptimizeResult optimum = searchOptimum(history, vehicle, optimize, 1);
    e.missions += optimum.missions;
    if (!optimum.found()) {
      e.status = TradeStatus::Unflyable;
      e.reason = "no turn time gives a design";
      return e;
    }
    e.row = optimum.optimum();
    return e;
  }
  e.row = targetRow(history, vehicle, settings.turnTime_s, settings.optimize.search);
  e.missions += e.row.missions;
  if (!feasibleDesign(e.row, false)) {
    e.status = TradeStatus::Unflyable;
    e.reason = "targeting the orbit gives " + std::string(verdictName(e.row.verdict));
  }
  return e;
}

}  // namespace

std::string ratioUnit(const std::string& unit) {
  if (unit == "-") return "kg";
  if (unit.find('/') != std::string::npos || unit.find('^') != std::string::npos) {
    return "kg/(" + unit + ")";
  }
  return "kg/" + unit;
}

std::string_view tradeStatusName(TradeStatus status) {
  switch (status) {
    case TradeStatus::Ok:
      return "ok";
    case TradeStatus::NoEffect:
      return "no_effect";
    case TradeStatus::ShortOfPropellant:
      return "short_of_propellant";
    case TradeStatus::Invalid:
      return "invalid";
    case TradeStatus::Unflyable:
      break;
  }
  return "unflyable";
}

bool keyChangesFlight(std::string_view key) {
  return !key.starts_with("resizing.");
}

std::span<const SettingDomain<TradeSettings>> tradeSettingsDomain() {
  return tradeTable;
}

std::string tradeKeysProblem(const std::vector<std::string>& keys) {
  if (keys.empty()) return "the list of keys is empty: name at least one key";
  for (const std::string& key : keys) {
    if (findVehicleKey(key) == nullptr) {
      return "'" + key + "' is not a vehicle key" + didYouMean(key, vehicleKeyNames());
    }
  }
  for (auto key = keys.begin(); key != keys.end(); ++key) {
    if (std::find(keys.begin(), key, *key) != key) return "the key '" + *key + "' is given twice";
  }
  return {};
}

SettingProblem settingsProblem(const TradeSettings& settings) {
  if (SettingProblem problem = settingsProblem(tradeSettingsDomain(), settings); !problem.empty()) {
    return problem;
  }
  if (SettingProblem problem = settings.reoptimize ? settingsProblem(settings.optimize)
                                                   : settingsProblem(settings.optimize.search);
      !problem.empty()) {
    return problem;
  }
  return {"keys", settings.keys.empty() ? std::string() : tradeKeysProblem(settings.keys)};
}

namespace {

// The keys of the settings, or every key.
std::vector<const VehicleKey*> tradedKeys(const TradeSettings& settings) {
  std::vector<const VehicleKey*> traded;
  if (settings.keys.empty()) {
    for (const VehicleKey& key : vehicleKeys()) traded.push_back(&key);
  } else {
    for (const std::string& name : settings.keys) traded.push_back(findVehicleKey(name));
  }
  return traded;
}

// Index 0 is the vehicle as given; then for every key the value moved by
// -2, -1, +1 and +2 steps.
std::vector<double> steppedValues(const std::vector<const VehicleKey*>& traded,
                                  const Vehicle& vehicle, double relativeStep) {
  constexpr double multiples[] = {-2, -1, 1, 2};
  std::vector<double> values(1 + 4 * traded.size(), 0);
  for (std::size_t k = 0; k < traded.size(); ++k) {
    const double x = traded[k]->get(vehicle);
    const double h = x != 0 ? relativeStep * std::fabs(x) : relativeStep;
    for (std::size_t j = 0; j < 4; ++j) values[1 + 4 * k + j] = x + multiples[j] * h;
  }
  return values;
}

}  // namespace

TradeResult runTrade(const StudyInputs& inputs, const TradeSettings& settings, unsigned jobs,
                     StudyObserver* observer) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  checkStudyInputs(inputs, settings.reoptimize ? settings.optimize.to_s : settings.turnTime_s,
                   observer);
  const Vehicle& vehicle = inputs.vehicle;
  const Progress progress = progressOf(observer);
  const std::vector<const VehicleKey*> traded = tradedKeys(settings);
  const std::vector<double> values = steppedValues(traded, vehicle, settings.relativeStep);
  const std::size_t count = values.size();
  // Every evaluation is kept, so each thread writes its own element of a
  // vector sized up front; the pool's delivery orders only the progress.
  std::vector<Evaluation> done(count);
  std::size_t delivered = 0;
  // The turn time of the booster phases flown to match the boosters' propellant.
  const double turnTime_s = settings.reoptimize ? settings.optimize.from_s : settings.turnTime_s;
  const bool matchesBoosters = std::any_of(traded.begin(), traded.end(), [](const VehicleKey* k) {
    return burnsBoosterPropellant(k->key);
  });
  const double baseResidual_kg =
      matchesBoosters ? boosterResidual_kg(inputs.history, vehicle, turnTime_s) : 0;
  runInOrder(
      count, jobs,
      [&](std::size_t i) {
        ChangedVehicle changed;
        if (i == 0) {
          changed.vehicle = vehicle;
        } else {
          changed = changeKey(inputs, *traded[(i - 1) / 4], values[i], turnTime_s, baseResidual_kg);
        }
        done[i] = evaluate(inputs.history, changed, settings);
      },
      [&](std::size_t) {
        if (progress) progress(++delivered, count);
      });

  TradeResult result;
  result.settings = settings;
  result.thrustFile = inputs.history.name();
  result.vehicle = vehicle;
  result.missions = matchesBoosters ? 1 : 0;
  for (const Evaluation& e : done) result.missions += e.missions;
  const Evaluation& base = done[0];
  result.base = base.row;
  result.baseFeasible = base.status == TradeStatus::Ok;
  result.baseReason = base.reason;
  if (!result.baseFeasible) return result;
  for (std::size_t k = 0; k < traded.size(); ++k) {
    result.rows.push_back(
        tradeRow(*traded[k], vehicle, base, &done[1 + 4 * k], &values[1 + 4 * k]));
  }
  sortTradeRows(result.rows);
  return result;
}

}  // namespace ascent

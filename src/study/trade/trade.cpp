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

// One vehicle flown: its design, or why there is none.
struct Evaluation {
  TradeStatus status = TradeStatus::Ok;
  std::string reason;
  SweepRow row;
  std::size_t missions = 0;
};

Evaluation evaluate(const ThrustHistory& history, const Vehicle& vehicle,
                    const TradeSettings& settings) {
  Evaluation e;
  const std::vector<std::string> problems = vehicleProblems(vehicle);
  if (!problems.empty()) {
    e.status = TradeStatus::Invalid;
    e.reason = problems.front();
    return e;
  }
  if (settings.reoptimize) {
    // Like the fixed turn time, a design that overdraws its propellant counts:
    // the re-sized stage carries what it used.
    OptimizeSettings optimize = settings.optimize;
    optimize.propellantLeft = false;
    const OptimizeResult optimum = searchOptimum(history, vehicle, optimize, 1);
    e.missions = optimum.missions;
    if (!optimum.found()) {
      e.status = TradeStatus::Unflyable;
      e.reason = "no turn time gives a design";
      return e;
    }
    e.row = optimum.optimum();
    return e;
  }
  e.row = targetRow(history, vehicle, settings.turnTime_s, settings.optimize.search);
  e.missions = e.row.missions;
  if (!feasibleDesign(e.row, false)) {
    e.status = TradeStatus::Unflyable;
    e.reason = "targeting the orbit gives " + std::string(verdictName(e.row.verdict));
  }
  return e;
}

double mass(const Evaluation& e) {
  return e.row.mission.sizing.SC_M_unrounded_kg;
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
    case TradeStatus::Invalid:
      return "invalid";
    case TradeStatus::Unflyable:
      break;
  }
  return "unflyable";
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

// The key's ratio by central differences around the base, from the four
// evaluations of its values[at .. at + 3].
TradeRow tradeRow(const VehicleKey& key, const Vehicle& vehicle, const Evaluation& base,
                  const Evaluation* four, const double* values) {
  TradeRow row;
  row.key = key.key;
  row.unit = key.unit;
  row.value = key.get(vehicle);
  const Evaluation &far0 = four[0], &near0 = four[1], &near1 = four[2], &far1 = four[3];
  row.step = values[2] - row.value;
  for (const Evaluation* e : {&near0, &near1}) {
    if (e->status != TradeStatus::Ok && row.status == TradeStatus::Ok) {
      row.status = e->status;
      row.reason = std::string(e == &near0 ? "one step lower: " : "one step higher: ") + e->reason;
    }
  }
  if (row.status != TradeStatus::Ok) return row;
  row.below_kg = mass(near0) - mass(base);
  row.above_kg = mass(near1) - mass(base);
  row.ratio = (mass(near1) - mass(near0)) / (values[2] - values[1]);
  row.error = far0.status == TradeStatus::Ok && far1.status == TradeStatus::Ok
                  ? std::fabs(row.ratio - (mass(far1) - mass(far0)) / (values[3] - values[0]))
                  : std::numeric_limits<double>::quiet_NaN();
  row.effect_kg = row.ratio * row.value / 100;
  return row;
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
  runInOrder(
      count, jobs,
      [&](std::size_t i) {
        Vehicle changed = vehicle;
        if (i > 0) traded[(i - 1) / 4]->set(changed, values[i]);
        done[i] = evaluate(inputs.history, changed, settings);
      },
      [&](std::size_t) {
        if (progress) progress(++delivered, count);
      });

  TradeResult result;
  result.settings = settings;
  result.thrustFile = inputs.history.name();
  result.vehicle = vehicle;
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
  std::stable_sort(
      result.rows.begin(), result.rows.end(), [](const TradeRow& a, const TradeRow& b) {
        const bool okA = a.status == TradeStatus::Ok, okB = b.status == TradeStatus::Ok;
        if (okA != okB) return okA;
        return std::fabs(a.effect_kg) > std::fabs(b.effect_kg);
      });
  return result;
}

}  // namespace ascent

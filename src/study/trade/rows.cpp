// The row of a traded key: its ratio by central differences, what it moved
// with it, and whether the ratio can be ranked as a gain.
#include <algorithm>
#include <cmath>
#include <limits>

#include "study/trade/evaluation.h"

namespace ascent {

namespace {

double mass(const Evaluation& e) {
  return e.row.mission.sizing.SC_M_unrounded_kg;
}

// The propellant an evaluation's design burns beyond what it carries, kg.
double shortOf(const Evaluation& e) {
  if (e.status != TradeStatus::Ok || !e.row.hasMission) return 0;
  const PropellantShortfall s = propellantShortfall(e.row.mission);
  return std::max(s.eachBooster_kg, s.upperStage_kg);
}

// Keys that cannot move SC_M whatever their value, and why.
struct NoEffectReason {
  std::string_view key;
  std::string_view why;
};
constexpr NoEffectReason knownReasons[] = {
    {"upper.mainstage_propellant_kg",
     "upper.mass_kg holds the propellant loaded: more of it is less of the rest of the stage, the "
     "flight is the same, and the re-sizing sizes the stage for the propellant used, which does "
     "not change"},
    {"timeline.final_coast_s",
     "the coast comes after upper-stage cutoff: SC_M is set by the burn before it"},
};

std::string noEffectReason(std::string_view key, const Evaluation* four, const Evaluation& base) {
  for (const NoEffectReason& known : knownReasons) {
    if (known.key == key) return std::string(known.why);
  }
  const bool farFlown = four[0].status == TradeStatus::Ok && four[3].status == TradeStatus::Ok;
  if (farFlown && mass(four[0]) == mass(base) && mass(four[3]) == mass(base)) {
    return "SC_M is the same to the bit at +-1 % and +-2 %: the change moves neither the "
           "integration step on which the upper stage's burn ends nor the peak force";
  }
  return "SC_M is the same to the bit at +-1 %: the change is smaller than the steps of the "
         "propellant left (+-2 % moves it)";
}

// The first flight the ratio is built on that is short of propellant, in words.
std::string shortfallReason(const Evaluation& base, const Evaluation* four) {
  const struct {
    const char* name;
    const Evaluation& e;
  } used[] = {{"the base", base}, {"one step lower", four[1]}, {"one step higher", four[2]}};
  for (const auto& [name, e] : used) {
    if (shortOf(e) > 0) {
      return std::string(name) + ": " + shortfallText(propellantShortfall(e.row.mission));
    }
  }
  return {};
}

// The row's group in the order of TradeResult::rows.
int group(const TradeRow& row) {
  switch (row.status) {
    case TradeStatus::Ok:
      return row.changesFlight ? 0 : 1;
    case TradeStatus::ShortOfPropellant:
      return 2;
    case TradeStatus::NoEffect:
      return 3;
    case TradeStatus::Invalid:
    case TradeStatus::Unflyable:
      break;
  }
  return 4;
}

}  // namespace

TradeRow tradeRow(const VehicleKey& key, const Vehicle& vehicle, const Evaluation& base,
                  const Evaluation* four, const double* values) {
  TradeRow row;
  row.key = key.key;
  row.unit = key.unit;
  row.value = key.get(vehicle);
  row.changesFlight = keyChangesFlight(key.key);
  row.movedWith = four[2].moved;
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
  // A flight short of propellant cannot be flown: the error needs both.
  const bool farFlown = far0.status == TradeStatus::Ok && far1.status == TradeStatus::Ok &&
                        shortOf(far0) == 0 && shortOf(far1) == 0;
  row.error = farFlown ? std::fabs(row.ratio - (mass(far1) - mass(far0)) / (values[3] - values[0]))
                       : std::numeric_limits<double>::quiet_NaN();
  row.effect_kg = row.ratio * row.value / 100;
  for (const Evaluation* e : {&base, &near0, &near1}) {
    row.shortOfPropellant_kg = std::max(row.shortOfPropellant_kg, shortOf(*e));
  }
  const std::string shortfall = shortfallReason(base, four);
  if (mass(near0) == mass(base) && mass(near1) == mass(base)) {
    row.status = TradeStatus::NoEffect;
    row.reason = noEffectReason(key.key, four, base);
    if (!shortfall.empty()) row.reason += " (and short of propellant, " + shortfall + ")";
  } else if (!shortfall.empty()) {
    row.status = TradeStatus::ShortOfPropellant;
    row.reason = shortfall;
  }
  return row;
}

void sortTradeRows(std::vector<TradeRow>& rows) {
  std::stable_sort(rows.begin(), rows.end(), [](const TradeRow& a, const TradeRow& b) {
    if (group(a) != group(b)) return group(a) < group(b);
    return std::fabs(a.effect_kg) > std::fabs(b.effect_kg);
  });
}

}  // namespace ascent

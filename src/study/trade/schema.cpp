// The fields of a trade's rows and of its whole result (ascent/trade.h).
#include "ascent/trade.h"
#include "study/result_head.h"

namespace ascent {

namespace {

// A number of a traded key: null when the key could not be traded.
Value ofTraded(const TradeRow& row, double value) {
  return row.traded() ? Value(value) : Value();
}

std::string joined(const std::vector<std::string>& keys) {
  std::string text;
  for (const std::string& key : keys) text += (text.empty() ? "" : " ") + key;
  return text;
}

constexpr std::string_view notTraded = "the key could not be traded";

// clang-format off
constexpr Field<TradeRow> tradeFields[] = {
    {{"key", "", FieldType::Text, "", "the vehicle key"},
     [](const TradeRow& r) { return Value(r.key); }},
    {{"unit", "", FieldType::Text, "", "the key's unit (- for none)"},
     [](const TradeRow& r) { return Value(r.unit); }},
    {{"value", "", FieldType::Real, "", "the key's value in the vehicle traded, in its unit"},
     [](const TradeRow& r) { return Value(r.value); }},
    {{"step", "", FieldType::Real, "", "the smaller step, in the key's unit"},
     [](const TradeRow& r) { return Value(r.step); }},
    {{"status", "", FieldType::Text, "",
      "ok, no_effect, short_of_propellant (never ranked as a gain), invalid or unflyable"},
     [](const TradeRow& r) { return Value(tradeStatusName(r.status)); }},
    {{"changes_flight", "", FieldType::Flag, "",
      "the flight reads the key (false: a re-sizing key, SC_M's bookkeeping)"},
     [](const TradeRow& r) { return Value(r.changesFlight); }},
    {{"moved_with", "", FieldType::Text, "",
      "the keys moved with it, separated by spaces: those that follow from it, and the "
      "boosters' propellant with the booster scales"},
     [](const TradeRow& r) { return Value(joined(r.movedWith)); }},
    {{"ratio", "", FieldType::Real, notTraded, "d SC_M / d key, in ratio_unit"},
     [](const TradeRow& r) { return ofTraded(r, r.ratio); }},
    {{"ratio_unit", "", FieldType::Text, "", "kg per unit of the key"},
     [](const TradeRow& r) { return Value(ratioUnit(r.unit)); }},
    {{"error", "", FieldType::Real, "the key could not be traded, or the larger steps not flown",
      "the difference from the ratio over the larger steps"},
     [](const TradeRow& r) { return ofTraded(r, r.error); }},
    {{"below_kg", "kg", FieldType::Real, notTraded, "SC_M one step lower, minus the base's"},
     [](const TradeRow& r) { return ofTraded(r, r.below_kg); }},
    {{"above_kg", "kg", FieldType::Real, notTraded, "SC_M one step higher, minus the base's"},
     [](const TradeRow& r) { return ofTraded(r, r.above_kg); }},
    {{"effect_1pct_kg", "kg", FieldType::Real, notTraded, "the effect of a 1 % change"},
     [](const TradeRow& r) { return ofTraded(r, r.effect_kg); }},
    {{"short_of_propellant_kg", "kg", FieldType::Real, notTraded,
      "the most propellant a booster or the upper stage burns beyond what it carries in the "
      "flights the row uses (0: none)"},
     [](const TradeRow& r) { return ofTraded(r, r.shortOfPropellant_kg); }},
    {{"reason", "", FieldType::Text, "",
      "why the status is not ok: no effect, the propellant short, or why the key could not be "
      "traded (empty for ok)"},
     [](const TradeRow& r) { return Value(r.reason); }},
};
// clang-format on

using R = TradeResult;
using T = FieldType;
constexpr std::string_view noBase = "the vehicle as given has no design";

// A number of the base design: null without one.
Value ofBase(const R& r, double value) {
  return r.baseFeasible ? Value(value) : Value();
}

// clang-format off
constexpr Field<R> tradeResultFields[] = {
    programField<R>, versionField<R>, thrustFileField<R>,
    {{"base_feasible", "", T::Flag, "", "the vehicle as given has a design"},
     [](const R& r) { return Value(r.baseFeasible); }},
    {{"reason", "", T::Text, "", "why it has none (empty when it has one)"},
     [](const R& r) { return Value(r.baseReason); }},
    {{"reoptimized", "", T::Flag, "", "each vehicle flown at its own best turn time"},
     [](const R& r) { return Value(r.settings.reoptimize); }},
    {{"turn_time_s", "s", T::Real, noBase, "the base design's turn time"},
     [](const R& r) { return ofBase(r, r.base.turnTime_s); }},
    {{"SC_M_kg", "kg", T::Real, noBase, "the base design's spacecraft mass"},
     [](const R& r) { return ofBase(r, r.base.mission.sizing.SC_M_kg); }},
    {{"SC_M_unrounded_kg", "kg", T::Real, noBase, "the same before rounding"},
     [](const R& r) { return ofBase(r, r.base.mission.sizing.SC_M_unrounded_kg); }},
    {{"relative_step", "", T::Real, "", "the smaller step, a fraction of each value"},
     [](const R& r) { return Value(r.settings.relativeStep); }},
    {{"missions", "", T::Integer, "", "missions flown"},
     [](const R& r) { return Value(r.missions); }},
    {{"trades", "", T::List, noBase, "one row per key (tradeRowSchema)"},
     [](const R& r) { return r.baseFeasible ? listOf(tradeRowSchema(), r.rows) : Value(); }},
    vehicleField<R>,
};
// clang-format on

}  // namespace

Schema<TradeRow> tradeRowSchema() {
  return tradeFields;
}

Schema<TradeResult> tradeSchema() {
  return tradeResultFields;
}

Value tradeValue(const TradeResult& result) {
  return toValue(tradeSchema(), result);
}

}  // namespace ascent

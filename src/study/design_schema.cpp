// The fields of the design studies' results and their whole values
// (ascent/design_schema.h).
#include "ascent/design_schema.h"

#include "ascent/performance.h"

namespace ascent {

namespace {

// A number of the row's mission: null for a turn time where none reached an orbit.
Value ofMission(const SweepRow& row, double value) {
  return row.hasMission ? Value(value) : Value();
}

constexpr std::string_view noMission = "no mission reached an orbit";

// clang-format off
constexpr Field<SweepRow> sweepFields[] = {
    {{"turn_time_s", "s", FieldType::Real, "", "the turn time targeted"},
     [](const SweepRow& r) { return Value(r.turnTime_s); }},
    {{"limit_deg", "deg", FieldType::Real, noMission,
      "the angle-of-attack limit of the design, or of the mission closest to the target"},
     [](const SweepRow& r) { return ofMission(r, r.mission.limit_deg); }},
    {{"verdict", "", FieldType::Text, "",
      "converged, outside-design, unreachable, not-converged, suborbital, escape or infeasible"},
     [](const SweepRow& r) { return Value(verdictName(r.verdict)); }},
    {{"missions", "", FieldType::Integer, "", "the missions the search flew"},
     [](const SweepRow& r) { return Value(r.missions); }},
    {{"perigee_m", "m", FieldType::Real, noMission, "perigee altitude"},
     [](const SweepRow& r) { return ofMission(r, r.mission.perigee_m); }},
    {{"apogee_m", "m", FieldType::Real, noMission, "apogee altitude"},
     [](const SweepRow& r) { return ofMission(r, r.mission.apogee_m); }},
    {{"average_altitude_m", "m", FieldType::Real, noMission, "average orbit altitude"},
     [](const SweepRow& r) { return ofMission(r, r.mission.averageAltitude_m); }},
    {{"remaining_propellant_kg", "kg", FieldType::Real, noMission,
      "upper-stage propellant left (negative: overdrawn)"},
     [](const SweepRow& r) { return ofMission(r, r.mission.remainingPropellant_kg); }},
    {{"SC_M_kg", "kg", FieldType::Real, noMission, "spacecraft mass of the re-sized upper stage"},
     [](const SweepRow& r) { return ofMission(r, r.mission.sizing.SC_M_kg); }},
    {{"max_dynamic_pressure_Pa", "Pa", FieldType::Real, noMission,
      "the mission's peak dynamic pressure"},
     [](const SweepRow& r) { return ofMission(r, r.mission.missionPeaks.maxQ_Pa); }},
    {{"max_acceleration_mps2", "m/s^2", FieldType::Real, noMission,
      "the mission's peak thrust acceleration"},
     [](const SweepRow& r) { return ofMission(r, r.mission.missionPeaks.maxAccel_mps2); }},
    {{"max_force_N", "N", FieldType::Real, noMission, "the peak force on the upper stage"},
     [](const SweepRow& r) { return ofMission(r, r.mission.maxForce_N); }},
};

constexpr Field<SweepRow> candidateFields[] = {
    {{"turn_time_s", "s", FieldType::Real, "", "the turn time targeted"},
     [](const SweepRow& r) { return Value(r.turnTime_s); }},
    {{"verdict", "", FieldType::Text, "",
      "a verdict of the search, or no-propellant-left for a converged one that overdraws"},
     [](const SweepRow& r) { return Value(candidateVerdictName(candidateVerdict(r))); }},
    {{"missions", "", FieldType::Integer, "", "the missions the search flew"},
     [](const SweepRow& r) { return Value(r.missions); }},
    {{"limit_deg", "deg", FieldType::Real, noMission, "the limit of the design or closest mission"},
     [](const SweepRow& r) { return ofMission(r, r.mission.limit_deg); }},
    {{"SC_M_kg", "kg", FieldType::Real, noMission, "spacecraft mass"},
     [](const SweepRow& r) { return ofMission(r, r.mission.sizing.SC_M_kg); }},
    {{"SC_M_unrounded_kg", "kg", FieldType::Real, noMission,
      "spacecraft mass before rounding, which the search follows"},
     [](const SweepRow& r) { return ofMission(r, r.mission.sizing.SC_M_unrounded_kg); }},
};
// clang-format on

// A number of a traded key: null when the key could not be traded.
Value ofTraded(const TradeRow& row, double value) {
  return row.status == TradeStatus::Ok ? Value(value) : Value();
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
    {{"status", "", FieldType::Text, "", "ok, invalid or unflyable"},
     [](const TradeRow& r) { return Value(tradeStatusName(r.status)); }},
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
    {{"reason", "", FieldType::Text, "", "why the key could not be traded (empty when it was)"},
     [](const TradeRow& r) { return Value(r.reason); }},
};
// clang-format on

// A number of an altitude's design: null at an altitude without one.
Value ofDesign(const PerformanceRow& row, double value) {
  return row.found ? Value(value) : Value();
}

constexpr std::string_view noDesign = "no turn time of the range gives a design";

// clang-format off
constexpr Field<PerformanceRow> performanceFields[] = {
    {{"target_altitude_m", "m", FieldType::Real, "", "the circular orbit aimed at and targeted"},
     [](const PerformanceRow& r) { return Value(r.altitude_m); }},
    {{"turn_time_s", "s", FieldType::Real, noDesign, "the optimum turn time"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.turnTime_s); }},
    {{"limit_deg", "deg", FieldType::Real, noDesign, "the angle-of-attack limit of the optimum"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.mission.limit_deg); }},
    {{"SC_M_kg", "kg", FieldType::Real, noDesign, "the heaviest spacecraft mass"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.mission.sizing.SC_M_kg); }},
    {{"remaining_propellant_kg", "kg", FieldType::Real, noDesign, "upper-stage propellant left"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.mission.remainingPropellant_kg); }},
    {{"perigee_m", "m", FieldType::Real, noDesign, "perigee altitude"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.mission.perigee_m); }},
    {{"apogee_m", "m", FieldType::Real, noDesign, "apogee altitude"},
     [](const PerformanceRow& r) { return ofDesign(r, r.design.mission.apogee_m); }},
    {{"missions", "", FieldType::Integer, "", "the missions flown at this altitude"},
     [](const PerformanceRow& r) { return Value(r.missions); }},
    {{"verdict", "", FieldType::Text, "",
      "converged, or the verdict of the turn time that came nearest to a design"},
     [](const PerformanceRow& r) {
       return Value(candidateVerdictName(candidateVerdict(r.design)));
     }},
    {{"at_range_edge", "", FieldType::Flag, "",
      "the optimum is within the turn-time tolerance of an end of the range"},
     [](const PerformanceRow& r) { return Value(r.atRangeEdge); }},
};
// clang-format on

template <class Row>
Value listOf(Schema<Row> schema, const std::vector<Row>& rows) {
  Value list = Value::list();
  for (const Row& row : rows) list.push(toValue(schema, row));
  return list;
}

Value resultHead(const DesignInputs& inputs) {
  return Value::object({{"program", "ascent"},
                        {"version", std::string(version())},
                        {"thrust_file", inputs.thrustFile}});
}

}  // namespace

Schema<SweepRow> sweepSchema() {
  return sweepFields;
}

Schema<SweepRow> candidateSchema() {
  return candidateFields;
}

Schema<TradeRow> tradeRowSchema() {
  return tradeFields;
}

Value optimizeValue(const OptimizeResult& result, const OptimizeSettings& settings,
                    const DesignInputs& inputs) {
  Value value = resultHead(inputs);
  value.add("from_s", settings.from_s);
  value.add("to_s", settings.to_s);
  addConstraints(value, settings.search);
  value.add("found", result.found());
  value.add("missions", result.missions);
  value.add("turn_times_targeted", result.candidates.size());
  value.add("scanned", result.scanned);
  if (result.found()) {
    const SweepRow& best = result.optimum();
    value.add("turn_time_s", best.turnTime_s);
    value.add("limit_deg", best.mission.limit_deg);
    value.add("SC_M_kg", best.mission.sizing.SC_M_kg);
    value.add("SC_M_unrounded_kg", best.mission.sizing.SC_M_unrounded_kg);
    value.add("flat_top", Value::object({{"from_s", result.flatFrom_s},
                                         {"to_s", result.flatTo_s},
                                         {"turn_times", result.flatCount}}));
    value.add("at_range_edge", result.atRangeEdge);
    value.add("mission", missionValue(FlownMission{best.mission, inputs.thrustFile,
                                                   settings.search.minimumPerigee_m}));
  }
  value.add("candidates", listOf(candidateSchema(), result.candidates));
  value.add("vehicle", inputs.vehicle);
  return value;
}

Value tradeValue(const TradeResult& result, const TradeSettings& settings,
                 const DesignInputs& inputs) {
  Value value = resultHead(inputs);
  if (!result.baseFeasible) {
    value.add("base_feasible", false);
    value.add("reason", result.baseReason);
  } else {
    const MissionResult& base = result.base.mission;
    value.add("reoptimized", settings.reoptimize);
    value.add("turn_time_s", result.base.turnTime_s);
    value.add("SC_M_kg", base.sizing.SC_M_kg);
    value.add("SC_M_unrounded_kg", base.sizing.SC_M_unrounded_kg);
    value.add("relative_step", settings.relativeStep);
  }
  value.add("missions", result.missions);
  if (result.baseFeasible) value.add("trades", listOf(tradeRowSchema(), result.rows));
  value.add("vehicle", inputs.vehicle);
  return value;
}

Schema<PerformanceRow> performanceRowSchema() {
  return performanceFields;
}

Value performanceValue(const PerformanceResult& result, const PerformanceSettings& settings,
                       const DesignInputs& inputs) {
  Value value = resultHead(inputs);
  value.add("from_s", settings.optimize.from_s);
  value.add("to_s", settings.optimize.to_s);
  addConstraints(value, settings.optimize.search);
  value.add("missions", result.missions);
  value.add("rows", listOf(performanceRowSchema(), result.rows));
  value.add("vehicle", inputs.vehicle);
  return value;
}

}  // namespace ascent

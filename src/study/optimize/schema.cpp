// The fields of an optimization's candidates and of its whole result
// (ascent/optimize.h).
#include "ascent/fly.h"
#include "ascent/optimize.h"
#include "ascent/target.h"
#include "study/result_head.h"

namespace ascent {

namespace {

// A number of the row's mission: null for a turn time where none reached an orbit.
Value ofMission(const SweepRow& row, double value) {
  return row.hasMission ? Value(value) : Value();
}

constexpr std::string_view noMission = "no mission reached an orbit";

// clang-format off
constexpr Field<SweepRow> candidateFields[] = {
    {{"turn_time_s", "s", FieldType::Real, "", "the turn time targeted"},
     [](const SweepRow& r) { return Value(r.turnTime_s); }},
    {{"verdict", "", FieldType::Text, "",
      "a verdict of the search, or no_propellant_left for a converged one that overdraws"},
     [](const SweepRow& r) { return Value(verdictName(r.verdict)); }},
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

using R = OptimizeResult;
using T = FieldType;
constexpr std::string_view noneFound = "no turn time of the range gives a design";

// A number of the optimum: null when none was found.
template <class Number>
Value ofOptimum(const R& r, Number (*get)(const SweepRow&)) {
  return r.found() ? Value(get(r.optimum())) : Value();
}

// clang-format off
constexpr Field<R> optimizeFields[] = {
    programField<R>, versionField<R>, thrustFileField<R>,
    {{"from_s", "s", T::Real, "", "the first turn time searched"},
     [](const R& r) { return Value(r.settings.from_s); }},
    {{"to_s", "s", T::Real, "", "the last turn time searched"},
     [](const R& r) { return Value(r.settings.to_s); }},
    {{"constraints", "", T::Object, "the search sets no constraint",
      "dynamic_pressure_limit_Pa: a design's peak dynamic pressure is at most this"},
     [](const R& r) { return constraintsValue(r.settings.search); }},
    {{"found", "", T::Flag, "", "some turn time of the range gives a design"},
     [](const R& r) { return Value(r.found()); }},
    {{"missions", "", T::Integer, "", "missions flown by all the searches"},
     [](const R& r) { return Value(r.missions); }},
    {{"turn_times_targeted", "", T::Integer, "", "turn times targeted, the scan's included"},
     [](const R& r) { return Value(r.candidates.size()); }},
    {{"scanned", "", T::Integer, "", "turn times of the coarse scan"},
     [](const R& r) { return Value(r.scanned); }},
    {{"turn_time_s", "s", T::Real, noneFound, "the optimum turn time"},
     [](const R& r) { return ofOptimum<double>(r, [](const SweepRow& b) { return b.turnTime_s; }); }},
    {{"limit_deg", "deg", T::Real, noneFound, "the optimum's angle-of-attack limit"},
     [](const R& r) {
       return ofOptimum<double>(r, [](const SweepRow& b) { return b.mission.limit_deg; });
     }},
    {{"SC_M_kg", "kg", T::Real, noneFound, "the heaviest spacecraft mass"},
     [](const R& r) {
       return ofOptimum<double>(r, [](const SweepRow& b) { return b.mission.sizing.SC_M_kg; });
     }},
    {{"SC_M_unrounded_kg", "kg", T::Real, noneFound, "the same before rounding"},
     [](const R& r) {
       return ofOptimum<double>(
           r, [](const SweepRow& b) { return b.mission.sizing.SC_M_unrounded_kg; });
     }},
    {{"flat_top", "", T::Object, noneFound,
      "from_s, to_s, turn_times: the feasible turn times within 1 kg of the optimum"},
     [](const R& r) {
       if (!r.found()) return Value();
       return Value::object({{"from_s", r.flatFrom_s},
                             {"to_s", r.flatTo_s},
                             {"turn_times", r.flatCount}});
     }},
    {{"at_range_edge", "", T::Flag, noneFound,
      "the optimum is within the turn-time tolerance of an end of the range"},
     [](const R& r) { return r.found() ? Value(r.atRangeEdge) : Value(); }},
    {{"binding_constraint", "", T::Text, "no optimum, or it is inside every constraint",
      "dynamic_pressure or propellant: the constraint on whose boundary the optimum lies"},
     [](const R& r) {
       return r.found() && r.binding != Constraint::None ? Value(constraintName(r.binding))
                                                          : Value();
     }},
    {{"nearest", "", T::Object, "an optimum was found or no turn time was targeted",
      "the candidate nearest to a design: turn_time_s, verdict, booster_shortfall_kg, "
      "upper_stage_shortfall_kg, max_dynamic_pressure_Pa"},
     [](const R& r) {
       if (r.found() || r.nearest >= r.candidates.size()) return Value();
       const SweepRow& row = r.candidates[r.nearest];
       const PropellantShortfall s = propellantShortfall(row.mission);
       return Value::object(
           {{"turn_time_s", row.turnTime_s},
            {"verdict", verdictName(row.verdict)},
            {"booster_shortfall_kg", realOrNull(s.eachBooster_kg, row.hasMission)},
            {"upper_stage_shortfall_kg", realOrNull(s.upperStage_kg, row.hasMission)},
            {"max_dynamic_pressure_Pa",
             realOrNull(row.mission.missionPeaks.maxQ_Pa, row.hasMission)}});
     }},
    {{"mission", "", T::Object, noneFound, "the optimum's mission (the fields of a flight)"},
     [](const R& r) {
       if (!r.found()) return Value();
       return missionValue(FlownMission{r.optimum().mission, r.thrustFile,
                                        r.settings.search.minimumPerigee_m});
     }},
    {{"candidates", "", T::List, "", "every turn time targeted (candidateSchema)"},
     [](const R& r) { return listOf(candidateSchema(), r.candidates); }},
    vehicleField<R>,
};
// clang-format on

}  // namespace

Schema<SweepRow> candidateSchema() {
  return candidateFields;
}

Schema<OptimizeResult> optimizeSchema() {
  return optimizeFields;
}

Value optimizeValue(const OptimizeResult& result) {
  return toValue(optimizeSchema(), result);
}

}  // namespace ascent

// The fields of a performance study's rows and of its whole result
// (ascent/performance.h).
#include "ascent/performance.h"
#include "ascent/target.h"
#include "study/result_head.h"

namespace ascent {

namespace {

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
       return Value(verdictName(r.design.verdict));
     }},
    {{"at_range_edge", "", FieldType::Flag, "",
      "the optimum is within the turn-time tolerance of an end of the range"},
     [](const PerformanceRow& r) { return Value(r.atRangeEdge); }},
};
// clang-format on

using R = PerformanceResult;
using T = FieldType;

// clang-format off
constexpr Field<R> performanceResultFields[] = {
    programField<R>, versionField<R>, thrustFileField<R>,
    {{"from_s", "s", T::Real, "", "the first turn time searched at each altitude"},
     [](const R& r) { return Value(r.settings.optimize.from_s); }},
    {{"to_s", "s", T::Real, "", "the last turn time searched"},
     [](const R& r) { return Value(r.settings.optimize.to_s); }},
    {{"constraints", "", T::Object, "the search sets no constraint",
      "dynamic_pressure_limit_Pa: a design's peak dynamic pressure is at most this"},
     [](const R& r) { return constraintsValue(r.settings.optimize.search); }},
    {{"missions", "", T::Integer, "", "missions flown"},
     [](const R& r) { return Value(r.missions); }},
    {{"rows", "", T::List, "", "one per altitude (performanceRowSchema)"},
     [](const R& r) { return listOf(performanceRowSchema(), r.rows); }},
    vehicleField<R>,
};
// clang-format on

}  // namespace

Schema<PerformanceRow> performanceRowSchema() {
  return performanceFields;
}

Schema<PerformanceResult> performanceSchema() {
  return performanceResultFields;
}

Value performanceValue(const PerformanceResult& result) {
  return toValue(performanceSchema(), result);
}

}  // namespace ascent

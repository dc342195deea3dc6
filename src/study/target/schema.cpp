// The fields of a targeted turn time (ascent/target.h).
#include "ascent/target.h"

namespace ascent {

namespace {

using R = TargetResult;
using T = FieldType;

// The answer's or the closest mission's numbers; null when no mission
// reached an orbit.
template <double LimitSearchResult::*member>
Value ifReached(const R& t) {
  return realOrNull(t.run.search.*member, t.run.answer() != nullptr);
}

// Unreachable because the altitude is flat at the highest limits: where.
template <double LimitSearchResult::*member>
Value ifFlat(const R& t) {
  return realOrNull(t.run.search.*member, t.run.search.flatTop);
}

Value flown(const R& t, const MissionResult& mission) {
  return missionValue(FlownMission{mission, t.thrustFile, t.search.minimumPerigee_m});
}

constexpr std::string_view noneReached = "no mission reached an orbit";

// clang-format off
constexpr Field<R> targetFields[] = {
    {{"verdict", "", T::Text, "",
      "converged, outside_design, unreachable, not_converged, suborbital, escape or infeasible"},
     [](const R& t) { return Value(verdictName(t.run.verdict)); }},
    {{"turn_time_s", "s", T::Real, "", "the turn time targeted"},
     [](const R& t) { return Value(t.run.turnTime_s); }},
    {{"target_altitude_m", "m", T::Real, "", "the wanted average orbit altitude"},
     [](const R& t) { return Value(t.search.targetAltitude_m); }},
    {{"tolerance_m", "m", T::Real, "", "converged within this of it"},
     [](const R& t) { return Value(t.search.tolerance_m); }},
    {{"minimum_perigee_m", "m", T::Real, "", "an orbit's perigee is at least this"},
     [](const R& t) { return Value(t.search.minimumPerigee_m); }},
    {{"missions", "", T::Integer, "", "missions flown"},
     [](const R& t) { return Value(t.run.missions.size()); }},
    {{"limit_deg", "deg", T::Real, noneReached,
      "the limit of the answer (converged) or of the mission closest to the target"},
     [](const R& t) {
       const MissionResult* answer = t.run.answer();
       return answer != nullptr ? Value(answer->limit_deg) : Value();
     }},
    {{"highest_altitude_m", "m", T::Real, noneReached, "the highest average altitude reached"},
     &ifReached<&LimitSearchResult::highestAltitude_m>},
    {{"highest_at_deg", "deg", T::Real, noneReached, "the lowest limit flown that gave it"},
     &ifReached<&LimitSearchResult::highestAt_deg>},
    {{"flat_altitude_m", "m", T::Real, "the altitude is not flat at the highest limits",
      "unreachable: the average altitude where the limit no longer binds"},
     &ifFlat<&LimitSearchResult::flatAltitude_m>},
    {{"flat_from_deg", "deg", T::Real, "the altitude is not flat at the highest limits",
      "the lowest limit flown on the flat top"},
     &ifFlat<&LimitSearchResult::flatFrom_deg>},
    {{"jumps_across", "", T::Flag, "",
      "not converged because the average altitude jumps across the target"},
     [](const R& t) { return Value(t.run.search.jumpsAcross); }},
    {{"mission", "", T::Object, noneReached,
      "the answer's or the closest mission (the fields of a flight)"},
     [](const R& t) {
       const MissionResult* answer = t.run.answer();
       return answer != nullptr ? flown(t, *answer) : Value();
     }},
    {{"flown", "", T::List, "", "every mission flown, in the order flown"},
     [](const R& t) {
       Value missions = Value::list();
       for (const MissionResult& mission : t.run.missions) missions.push(flown(t, mission));
       return missions;
     }},
    {{"constraints", "", T::Object, "the search sets no constraint",
      "dynamic_pressure_limit_Pa: a design's peak dynamic pressure is at most this"},
     [](const R& t) { return constraintsValue(t.search); }},
    {{"vehicle", "", T::Object, "", "the vehicle flown: its changes from the defaults and hash"},
     [](const R& t) { return vehicleValue(t.vehicle); }},
};
// clang-format on

}  // namespace

Schema<TargetResult> targetSchema() {
  return targetFields;
}

Value targetValue(const TargetResult& target) {
  return toValue(targetSchema(), target);
}

Value constraintsValue(const SearchSettings& search) {
  if (!search.limitsDynamicPressure()) return Value();
  return Value::object({{"dynamic_pressure_limit_Pa", search.dynamicPressureLimit_Pa}});
}

}  // namespace ascent

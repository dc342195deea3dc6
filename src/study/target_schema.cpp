// The fields of a targeted turn time (ascent/results.h).
#include <stdexcept>

#include "ascent/results.h"
#include "study/thrust_check.h"

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
  return missionValue(FlownMission{mission, t.thrustFile, t.settings.minimumPerigee_m});
}

constexpr std::string_view noneReached = "no mission reached an orbit";

// clang-format off
constexpr Field<R> targetFields[] = {
    {{"verdict", "", T::Text, "",
      "converged, outside-design, unreachable, not-converged, suborbital, escape or infeasible"},
     [](const R& t) { return Value(verdictName(t.run.verdict)); }},
    {{"turn_time_s", "s", T::Real, "", "the turn time targeted"},
     [](const R& t) { return Value(t.run.turnTime_s); }},
    {{"target_altitude_m", "m", T::Real, "", "the wanted average orbit altitude"},
     [](const R& t) { return Value(t.settings.altitude_m); }},
    {{"tolerance_m", "m", T::Real, "", "converged within this of it"},
     [](const R& t) { return Value(t.settings.tolerance_m); }},
    {{"minimum_perigee_m", "m", T::Real, "", "an orbit's perigee is at least this"},
     [](const R& t) { return Value(t.settings.minimumPerigee_m); }},
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
};
// clang-format on

}  // namespace

Schema<TargetResult> targetSchema() {
  return targetFields;
}

TargetResult targetOrbit(const ThrustHistory& history, const Vehicle& vehicle, double turnTime_s,
                         const SearchSettings& settings) {
  for (const std::string& problem : {turnTimeProblem(turnTime_s), settingsProblem(settings)}) {
    if (!problem.empty()) throw std::invalid_argument(problem);
  }
  requireFlyable(history, vehicle, turnTime_s);
  return TargetResult{targetTurnTime(history, vehicle, turnTime_s, settings), settings,
                      history.name()};
}

Value targetValue(const TargetResult& target, const Vehicle& vehicle) {
  Value value = toValue(targetSchema(), target);
  addConstraints(value, target.settings);
  value.add("vehicle", vehicleValue(vehicle));
  return value;
}

void addConstraints(Value& value, const SearchSettings& settings) {
  if (!settings.limitsDynamicPressure()) return;
  value.add("constraints",
            Value::object({{"max_dynamic_pressure_Pa", settings.dynamicPressureLimit_Pa}}));
}

}  // namespace ascent

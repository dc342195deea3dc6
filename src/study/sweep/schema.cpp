// The fields of a sweep's row (ascent/sweep.h).
#include "ascent/sweep.h"

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
      "converged, outside_design, unreachable, not_converged, suborbital, escape or infeasible"},
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
// clang-format on

}  // namespace

Schema<SweepRow> sweepSchema() {
  return sweepFields;
}

}  // namespace ascent

// The fields of a flown mission, its peaks, its re-sized upper stage and its
// trajectory (ascent/fly.h).
#include <string>

#include "ascent/fly.h"
#include "physics/constants.h"

namespace ascent {

namespace {

using F = FlownMission;

bool reachedOrbit(const F& f) {
  return f.result.outcome == Outcome::Orbit;
}

// A number every mission computes.
template <double MissionResult::*member>
Value real(const F& f) {
  return f.result.*member;
}

// A number only a mission that reached orbit computes: null, not 0, for the others.
template <double MissionResult::*member>
Value orbitReal(const F& f) {
  return realOrNull(f.result.*member, reachedOrbit(f));
}

template <double Peaks::*member>
Value peak(const Peaks& p) {
  return p.*member;
}

template <double UpperStageSizing::*member>
Value sized(const UpperStageSizing& z) {
  return z.*member;
}

constexpr std::string_view noOrbit =
    "the mission did not reach orbit (outcome abandoned or failed)";

using T = FieldType;

// clang-format off
constexpr Field<Peaks> peaksFields[] = {
    {{"max_acceleration_mps2", "m/s^2", T::Real, "", "largest thrust acceleration"},
     &peak<&Peaks::maxAccel_mps2>},
    {{"max_acceleration_time_s", "s", T::Real, "", "when it was reached"},
     &peak<&Peaks::maxAccelTime_s>},
    {{"max_dynamic_pressure_Pa", "Pa", T::Real, "", "largest dynamic pressure"},
     &peak<&Peaks::maxQ_Pa>},
    {{"max_dynamic_pressure_time_s", "s", T::Real, "", "when it was reached"},
     &peak<&Peaks::maxQTime_s>},
};

constexpr Field<UpperStageSizing> sizingFields[] = {
    {{"S3_Mt_kg", "kg", T::Real, "", "interstage, third stage and payload"},
     &sized<&UpperStageSizing::S3_Mt_kg>},
    {{"S3_Mi_kg", "kg", T::Real, "", "interstage"}, &sized<&UpperStageSizing::S3_Mi_kg>},
    {{"S3_Mp1_kg", "kg", T::Real, "", "start-up propellant"}, &sized<&UpperStageSizing::S3_Mp1_kg>},
    {{"S3_Mp2_kg", "kg", T::Real, "", "mainstage propellant used"},
     &sized<&UpperStageSizing::S3_Mp2_kg>},
    {{"propellant_total_kg", "kg", T::Real, "", "propellant loaded, reserve included"},
     &sized<&UpperStageSizing::propellantTotal_kg>},
    {{"reserve_propellant_kg", "kg", T::Real, "", "propellant reserve"}, &sized<&UpperStageSizing::reservePropellant_kg>},
    {{"S3_Ms_kg", "kg", T::Real, "", "cutoff mass"}, &sized<&UpperStageSizing::S3_Ms_kg>},
    {{"rcs_propellant_kg", "kg", T::Real, "", "RCS propellant"},
     &sized<&UpperStageSizing::rcsPropellant_kg>},
    {{"dry_mass_kg", "kg", T::Real, "", "dry mass"}, &sized<&UpperStageSizing::dryMass_kg>},
    {{"S3_Mup_kg", "kg", T::Real, "", "ullage motor propellant"},
     &sized<&UpperStageSizing::S3_Mup_kg>},
    {{"S3_Mus_kg", "kg", T::Real, "", "ullage motor empty mass"},
     &sized<&UpperStageSizing::S3_Mus_kg>},
    {{"S3_Fu_N", "N", T::Real, "", "ullage motor vacuum thrust"}, &sized<&UpperStageSizing::S3_Fu_N>},
    {{"SC_M_kg", "kg", T::Real, "", "spacecraft mass"}, &sized<&UpperStageSizing::SC_M_kg>},
};

constexpr Field<F> flightFields[] = {
    {{"program", "", T::Text, "", "ascent"}, [](const F&) { return Value("ascent"); }},
    {{"version", "", T::Text, "", "the program's version"},
     [](const F&) { return Value(version()); }},
    {{"thrust_file", "", T::Text, "", "the booster thrust history flown, as given"},
     [](const F& f) { return Value(f.thrustFile); }},
    {{"turn_time_s", "s", T::Real, "", "the gravity turn is held this long"},
     &real<&MissionResult::turnTime_s>},
    {{"limit_deg", "deg", T::Real, "", "maximum angle of attack as given"},
     &real<&MissionResult::limit_deg>},
    {{"limit_rad", "rad", T::Real, "", "the same in radians, as flown"},
     &real<&MissionResult::limit_rad>},
    {{"outcome", "", T::Text, "",
      "orbit, suborbital (perigee below the minimum perigee), escape (the trajectory does not "
      "close), abandoned or failed"},
     [](const F& f) {
       return Value(flightClassName(classifyFlight(f.result, f.minimumPerigee_m)));
     }},
    {{"abandon_reason", "", T::Text, "the outcome is not abandoned",
      "below_surface, no_mass_left or clock_ran_out"},
     [](const F& f) {
       if (f.result.outcome != Outcome::Abandoned) return Value();
       return Value(abandonReasonName(f.result.abandonReason));
     }},
    {{"failure_code", "", T::Integer, "the outcome is not failed",
      "the run-time error number (106 for thrust records, 200, 205, 207 for floating point)"},
     [](const F& f) {
       return f.result.outcome == Outcome::Failed ? Value(f.result.failureCode) : Value();
     }},
    {{"failure_reason", "", T::Text, "the outcome is not failed", "why it could not be flown"},
     [](const F& f) {
       return f.result.outcome == Outcome::Failed ? Value(f.result.failureReason) : Value();
     }},
    {{"outside_design", "", T::Flag, "",
      "an orbit whose numbers are not finite or whose re-sized upper stage leaves no "
      "spacecraft mass"},
     [](const F& f) { return Value(outsideDesign(f.result)); }},
    {{"perigee_m", "m", T::Real, noOrbit, "perigee altitude above the spherical Earth"},
     &orbitReal<&MissionResult::perigee_m>},
    {{"apogee_m", "m", T::Real, noOrbit, "apogee altitude"}, &orbitReal<&MissionResult::apogee_m>},
    {{"average_altitude_m", "m", T::Real, noOrbit, "(perigee + apogee) / 2"},
     &orbitReal<&MissionResult::averageAltitude_m>},
    {{"altitude_half_range_m", "m", T::Real, noOrbit, "apogee - average altitude"},
     &orbitReal<&MissionResult::altitudeHalfRange_m>},
    {{"remaining_propellant_kg", "kg", T::Real, noOrbit,
      "upper-stage propellant left (negative: overdrawn)"},
     &orbitReal<&MissionResult::remainingPropellant_kg>},
    {{"delta_v_mps", "m/s", T::Real, noOrbit, "vacuum and zero-gravity velocity gain"},
     &orbitReal<&MissionResult::deltaV_mps>},
    {{"max_force_N", "N", T::Real, "", "largest force on the tracked load path"},
     &real<&MissionResult::maxForce_N>},
    {{"max_force_time_s", "s", T::Real, "", "when it was reached"},
     &real<&MissionResult::maxForceTime_s>},
    {{"liftoff_thrust_N", "N", T::Real, "", "sea-level thrust just after lift-off"},
     &real<&MissionResult::liftoffThrust_N>},
    {{"liftoff_acceleration_mps2", "m/s^2", T::Real, "", "acceleration at lift-off"},
     &real<&MissionResult::liftoffAcceleration_mps2>},
    {{"liftoff_mass_kg", "kg", T::Real, "", "mass at lift-off"},
     &real<&MissionResult::liftoffMass_kg>},
    {{"booster_residual_kg", "kg", T::Real, "", "propellant left in each booster at separation"},
     &real<&MissionResult::boosterResidual_kg>},
    {{"booster_shortfall_kg", "kg", T::Real, noOrbit,
      "propellant each booster burned beyond what it carried (0: none)"},
     [](const F& f) {
       return realOrNull(propellantShortfall(f.result).eachBooster_kg, reachedOrbit(f));
     }},
    {{"upper_stage_shortfall_kg", "kg", T::Real, noOrbit,
      "propellant the upper stage burned beyond what it carried (0: none)"},
     [](const F& f) {
       return realOrNull(propellantShortfall(f.result).upperStage_kg, reachedOrbit(f));
     }},
    {{"mission_peaks", "", T::Object, "", "this mission's peaks (max_acceleration_mps2, ...)"},
     [](const F& f) { return toValue(peaksSchema(), f.result.missionPeaks); }},
    {{"run_peaks", "", T::Object, "", "the run's peaks after this mission"},
     [](const F& f) { return toValue(peaksSchema(), f.result.runPeaks); }},
    {{"sizing", "", T::Object, noOrbit,
      "the upper stage re-sized from the flight (S3_Mt_kg, ..., SC_M_kg)"},
     [](const F& f) {
       return reachedOrbit(f) ? toValue(sizingSchema(), f.result.sizing) : Value();
     }},
    {{"recommended_limit_rad", "rad", T::Real, noOrbit,
      "the maximum angle of attack the secant rule recommends for the next try"},
     &orbitReal<&MissionResult::recommendedLimit_rad>},
    {{"recommended_limit_deg", "deg", T::Real, noOrbit, "the same in degrees"},
     &orbitReal<&MissionResult::recommendedLimit_deg>},
    {{"steps", "", T::Integer, "", "integration steps flown"},
     [](const F& f) { return Value(f.result.steps); }},
};

constexpr Field<StepRow> trajectoryFields[] = {
    {{"time_s", "s", T::Real, "", "mission time"}, [](const StepRow& r) { return Value(r.t_s); }},
    {{"speed_mps", "m/s", T::Real, "", "inertial speed"},
     [](const StepRow& r) { return Value(r.vi_mps); }},
    {{"altitude_m", "m", T::Real, "", "altitude above the spherical Earth"},
     [](const StepRow& r) { return Value(r.h_m); }},
    {{"downrange_m", "m", T::Real, "", "downrange distance"},
     [](const StepRow& r) { return Value(r.range_m); }},
    {{"thrust_acceleration_mps2", "m/s^2", T::Real, "", "thrust acceleration"},
     [](const StepRow& r) { return Value(r.a_mps2); }},
    {{"dynamic_pressure_Pa", "Pa", T::Real, "", "dynamic pressure"},
     [](const StepRow& r) { return Value(r.q_Pa); }},
    {{"angle_of_attack_deg", "deg", T::Real, "", "angle of attack"},
     [](const StepRow& r) { return Value(toDegrees(r.alpha_rad)); }},
    {{"inertial_flight_path_deg", "deg", T::Real, "", "inertial flight-path angle"},
     [](const StepRow& r) { return Value(toDegrees(r.beta_rad)); }},
    {{"air_flight_path_deg", "deg", T::Real, "", "air-relative flight-path angle"},
     [](const StepRow& r) { return Value(toDegrees(r.theta_rad)); }},
    {{"mass_kg", "kg", T::Real, "", "total mass"},
     [](const StepRow& r) { return Value(r.mass_kg); }},
};
// clang-format on

}  // namespace

Schema<Peaks> peaksSchema() {
  return peaksFields;
}

Schema<UpperStageSizing> sizingSchema() {
  return sizingFields;
}

Schema<FlownMission> flightSchema() {
  return flightFields;
}

Schema<StepRow> trajectorySchema() {
  return trajectoryFields;
}

Value missionValue(const FlownMission& flight) {
  return toValue(flightSchema(), flight);
}

Value vehicleValue(const Vehicle& vehicle) {
  Value changes = Value::object();
  for (const std::string& key : changedVehicleKeys(vehicle)) {
    const VehicleKey* k = findVehicleKey(key);
    if (k == nullptr) {
      changes.add(key, "changed");  // the drag table
      continue;
    }
    changes.add(
        key, Value::object({{"default", k->get(Vehicle::defaults())}, {"value", k->get(vehicle)}}));
  }
  return Value::object({{"changes", std::move(changes)}, {"hash", vehicleHash(vehicle)}});
}

Value flightValue(const FlownMission& flight, const Vehicle& vehicle) {
  Value value = missionValue(flight);
  value.add("vehicle", vehicleValue(vehicle));
  return value;
}

}  // namespace ascent

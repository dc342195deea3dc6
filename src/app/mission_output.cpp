#include "app/mission_output.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#include "files/vehicle_file.h"

namespace ascent {

std::string count(std::size_t number, const std::string& noun) {
  return std::to_string(number) + " " + noun + (number == 1 ? "" : "s");
}

std::string format(const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  char buffer[512];
  const int length = std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
  va_end(arguments);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer) return std::string(buffer, length);
  std::string text(static_cast<std::size_t>(length), '\0');
  va_start(arguments, pattern);
  std::vsnprintf(text.data(), text.size() + 1, pattern, arguments);
  va_end(arguments);
  return text;
}

namespace {

const char* abandonText(AbandonReason reason) {
  switch (reason) {
    case AbandonReason::BelowSurface:
      return "fell below the surface";
    case AbandonReason::NoMassLeft:
      return "burned more than its own mass";
    case AbandonReason::ClockRanOut:
      return "the mission clock ran out";
    case AbandonReason::None:
      break;
  }
  return "no reason";
}

nlohmann::ordered_json peaksJson(const Peaks& peaks) {
  return {{"max_acceleration_mps2", peaks.maxAccel_mps2},
          {"max_acceleration_time_s", peaks.maxAccelTime_s},
          {"max_dynamic_pressure_Pa", peaks.maxQ_Pa},
          {"max_dynamic_pressure_time_s", peaks.maxQTime_s}};
}

}  // namespace

std::string outcomeText(const MissionResult& result) {
  switch (result.outcome) {
    case Outcome::Orbit:
      if (outsideDesign(result)) return "orbit outside the design (no spacecraft mass)";
      if (!(result.perigee_m >= 0)) return "orbit with its perigee below the surface";
      return "orbit";
    case Outcome::Abandoned:
      return std::string("abandoned: ") + abandonText(result.abandonReason);
    case Outcome::Failed:
      break;
  }
  return "failed (" + std::to_string(result.failureCode) + "): " + result.failureReason;
}

nlohmann::ordered_json vehicleJson(const Vehicle& vehicle) {
  nlohmann::ordered_json changes = nlohmann::ordered_json::object();
  for (const std::string& key : changedVehicleKeys(vehicle)) {
    const VehicleKey* k = findVehicleKey(key);
    if (k == nullptr) {
      changes[key] = "changed";  // the drag table
      continue;
    }
    changes[key] = {{"default", k->get(Vehicle::defaults())}, {"value", k->get(vehicle)}};
  }
  return {{"changes", std::move(changes)}, {"hash", vehicleHash(vehicle)}};
}

std::string flightText(const MissionResult& result, double minimumPerigee_m) {
  switch (classifyFlight(result, minimumPerigee_m)) {
    case FlightClass::Suborbital:
      return format("suborbital: perigee %.1f km", result.perigee_m / 1000);
    case FlightClass::Escape:
      return "escape";
    default:
      return outcomeText(result);
  }
}

nlohmann::ordered_json missionJson(const MissionResult& r, const std::string& thrustFile,
                                   double minimumPerigee_m) {
  using json = nlohmann::ordered_json;
  const bool orbit = r.outcome == Outcome::Orbit;
  // A value the mission never computed is null, not 0.
  auto ifOrbit = [orbit](double value) { return orbit ? json(value) : json(nullptr); };
  const UpperStageSizing& z = r.sizing;
  json sizing = nullptr;
  if (orbit) {
    sizing = {{"S3_Mt_kg", z.S3_Mt},
              {"S3_Mi_kg", z.S3_Mi},
              {"S3_Mp1_kg", z.S3_Mp1},
              {"S3_Mp2_kg", z.S3_Mp2},
              {"propellant_total_kg", z.propellantTotal},
              {"reserve_kg", z.reserve},
              {"S3_Ms_kg", z.S3_Ms},
              {"rcs_propellant_kg", z.rcsPropellant},
              {"dry_mass_kg", z.dryMass},
              {"S3_Mup_kg", z.S3_Mup},
              {"S3_Mus_kg", z.S3_Mus},
              {"S3_Fu_N", z.S3_Fu},
              {"SC_M_kg", z.SC_M}};
  }
  const bool failed = r.outcome == Outcome::Failed;
  return {
      {"program", "ascent"},
      {"version", std::string(version())},
      {"thrust_file", thrustFile},
      {"turn_time_s", r.turnTime_s},
      {"limit_deg", r.limitDeg},
      {"limit_rad", r.limit_rad},
      {"outcome", outcomeName(r.outcome)},
      {"flight", std::string(flightClassName(classifyFlight(r, minimumPerigee_m)))},
      {"abandon_reason",
       r.outcome == Outcome::Abandoned ? json(abandonReasonName(r.abandonReason)) : json(nullptr)},
      {"failure_code", failed ? json(r.failureCode) : json(nullptr)},
      {"failure_reason", failed ? json(r.failureReason) : json(nullptr)},
      {"outside_design", outsideDesign(r)},
      {"perigee_m", ifOrbit(r.perigee_m)},
      {"apogee_m", ifOrbit(r.apogee_m)},
      {"average_altitude_m", ifOrbit(r.averageAltitude_m)},
      {"altitude_half_range_m", ifOrbit(r.altitudeHalfRange_m)},
      {"remaining_propellant_kg", ifOrbit(r.remainingPropellant_kg)},
      {"delta_v_mps", ifOrbit(r.deltaV_mps)},
      {"max_force_N", r.maxForce_N},
      {"max_force_time_s", r.maxForceTime_s},
      {"liftoff_thrust_N", r.liftoffThrust_N},
      {"liftoff_acceleration_mps2", r.liftoffAcceleration_mps2},
      {"liftoff_mass_kg", r.liftoffMass_kg},
      {"booster_residual_kg", r.boosterResidual_kg},
      {"mission_peaks", peaksJson(r.missionPeaks)},
      {"run_peaks", peaksJson(r.runPeaks)},
      {"sizing", sizing},
      {"recommended_limit_rad", ifOrbit(r.recommendedLimit_rad)},
      {"recommended_limit_deg", ifOrbit(r.recommendedLimitDeg)},
      {"steps", r.steps},
  };
}

std::string jsonText(const nlohmann::ordered_json& value) {
  // Invalid UTF-8 in a failure reason (a thrust-file token) is replaced, not thrown.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

void throwFileError(const std::string& what, const std::string& name) {
  const int code = errno != 0 ? errno : 5;
  throw Error(code, what + " " + name + ": " + std::strerror(code));
}

}  // namespace ascent

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

std::string exactText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[32];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;  // 32 characters hold every double
  return std::string(buffer, end);
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

const char* outcomeName(Outcome outcome) {
  switch (outcome) {
    case Outcome::Orbit:
      return "orbit";
    case Outcome::Abandoned:
      return "abandoned";
    case Outcome::Failed:
      break;
  }
  return "failed";
}

const char* abandonName(AbandonReason reason) {
  switch (reason) {
    case AbandonReason::BelowSurface:
      return "below-surface";
    case AbandonReason::NoMassLeft:
      return "no-mass-left";
    case AbandonReason::ClockRanOut:
      return "clock-ran-out";
    case AbandonReason::None:
      break;
  }
  return "none";
}

nlohmann::ordered_json peaksJson(const Peaks& peaks) {
  return {{"maxAccel_mps2", peaks.maxAccel_mps2},
          {"maxAccelTime_s", peaks.maxAccelTime_s},
          {"maxQ_Pa", peaks.maxQ_Pa},
          {"maxQTime_s", peaks.maxQTime_s}};
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

nlohmann::ordered_json missionJson(const MissionResult& r, const std::string& thrustFile) {
  const UpperStageSizing& z = r.sizing;
  nlohmann::ordered_json json = {
      {"program", "ascent"},
      {"version", std::string(version())},
      {"thrustFile", thrustFile},
      {"turnTime_s", r.turnTime_s},
      {"limitDeg", r.limitDeg},
      {"limit_rad", r.limit_rad},
      {"outcome", outcomeName(r.outcome)},
      {"abandonReason", abandonName(r.abandonReason)},
      {"failureCode", r.failureCode},
      {"failureReason", r.failureReason},
      {"outsideDesign", outsideDesign(r)},
      {"perigee_m", r.perigee_m},
      {"apogee_m", r.apogee_m},
      {"averageAltitude_m", r.averageAltitude_m},
      {"altitudeHalfRange_m", r.altitudeHalfRange_m},
      {"remainingPropellant_kg", r.remainingPropellant_kg},
      {"deltaV_mps", r.deltaV_mps},
      {"maxForce_N", r.maxForce_N},
      {"maxForceTime_s", r.maxForceTime_s},
      {"liftoffThrust_N", r.liftoffThrust_N},
      {"liftoffAcceleration_mps2", r.liftoffAcceleration_mps2},
      {"liftoffMass_kg", r.liftoffMass_kg},
      {"boosterResidual_kg", r.boosterResidual_kg},
      {"missionPeaks", peaksJson(r.missionPeaks)},
      {"runPeaks", peaksJson(r.runPeaks)},
      {"sizing",
       {{"S3_Mt", z.S3_Mt},
        {"S3_Mi", z.S3_Mi},
        {"S3_Mp1", z.S3_Mp1},
        {"S3_Mp2", z.S3_Mp2},
        {"propellantTotal", z.propellantTotal},
        {"reserve", z.reserve},
        {"S3_Ms", z.S3_Ms},
        {"rcsPropellant", z.rcsPropellant},
        {"dryMass", z.dryMass},
        {"S3_Mup", z.S3_Mup},
        {"S3_Mus", z.S3_Mus},
        {"S3_Fu", z.S3_Fu},
        {"SC_M", z.SC_M}}},
      {"recommendedLimit_rad", r.recommendedLimit_rad},
      {"recommendedLimitDeg", r.recommendedLimitDeg},
      {"steps", r.steps},
  };
  return json;
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

// The hashes that name a result's inputs (mission/hash.h): a result names
// the vehicle that flew it by its canonical description's hash, whatever
// file described the vehicle, and the thrust history by its records'.
#include "mission/hash.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>

#include "ascent/ascent.h"
#include "ascent/text.h"

namespace ascent {

namespace {

// A number as a TOML float: always with a decimal point or an exponent.
std::string floatText(double value) {
  std::string text = exactText(value);
  if (std::isfinite(value) && text.find_first_of(".eE") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string canonicalVehicleText(const Vehicle& vehicle) {
  std::string text;
  for (const VehicleKey& k : vehicleKeys()) {
    text += std::string(k.key) + "=" + floatText(k.get(vehicle)) + "\n";
  }
  for (const DragRow& row : vehicle.aero.drag_table) {
    text += "aero.drag_table=" + floatText(row.mach) + "," + floatText(row.cd) + "," +
            floatText(row.fall) + "," + floatText(row.over_mach) + "\n";
  }
  return text;
}

std::string hashText(std::uint64_t hash) {
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016" PRIx64, hash);
  return digits;
}

std::string vehicleHash(const Vehicle& vehicle) {
  return hashText(fnv1a(canonicalVehicleText(vehicle)));
}

std::string thrustHistoryHash(const ThrustHistory& history) {
  std::uint64_t hash = fnv1a("");
  for (const ThrustRecord& record : history.records()) {
    hash = fnv1a(exactText(record.time_s) + ' ' + exactText(record.thrust_N) + '\n', hash);
  }
  hash = fnv1a(std::to_string(history.faultCode()) + ' ' + history.faultReason(), hash);
  return hashText(hash);
}

}  // namespace ascent

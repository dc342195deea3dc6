// The vehicle's canonical description and its hash (ascent/vehicle.h): a
// result names the vehicle that flew it by this hash, whatever file described
// the vehicle.
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <string>

#include "ascent/text.h"
#include "ascent/vehicle.h"

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

std::string vehicleHash(const Vehicle& vehicle) {
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016" PRIx64, fnv1a(canonicalVehicleText(vehicle)));
  return digits;
}

}  // namespace ascent

// The vehicle file (TOML, read with toml++): the reading API is public
// (ascent/files.h); this adds what the program's outputs identify a vehicle by.
#pragma once

#include <string>

#include "ascent/files.h"
#include "ascent/vehicle.h"

namespace ascent {

// The vehicle's description in canonical form (every key in table order,
// numbers in their shortest exact form) and its FNV-1a 64-bit hash as 16 hex
// digits: the same vehicle has the same hash whatever file described it.
std::string canonicalVehicleText(const Vehicle& vehicle);
std::string vehicleHash(const Vehicle& vehicle);

}  // namespace ascent

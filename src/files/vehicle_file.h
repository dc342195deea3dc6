// The vehicle file: TOML, `schema = 1`, one table per part of the vehicle
// with the keys of vehicleKeys() (snake_case, units in the names), holding
// only what differs from the defaults. Read with toml++; every problem of a
// file is found before any is reported, each with FILE:LINE.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ascent/ascent.h"
#include "ascent/vehicle.h"

namespace ascent {

// A vehicle read from a file, with what it changes.
struct VehicleFile {
  std::string path;
  Vehicle vehicle;
  std::vector<std::string> changedKeys;  // keys that differ from the defaults
};

// Reads and validates a vehicle file: unknown keys (with the nearest known
// one), wrong types, non-finite numbers, values outside their domain, events
// out of order, a drag table that does not increase. Throws Error for a file
// that cannot be read and InputError for every problem of its contents.
VehicleFile readVehicleFile(const std::string& path);
// The same for text held in memory; `name` names it in the problems.
VehicleFile parseVehicleText(std::string_view text, const std::string& name);

// The complete description of a vehicle as a vehicle file: every key with a
// comment giving its meaning and unit. It reads back to the same vehicle.
std::string vehicleToml(const Vehicle& vehicle);

// The vehicle's description in canonical form (every key in table order,
// numbers in their shortest exact form) and its FNV-1a 64-bit hash as 16 hex
// digits: the same vehicle has the same hash whatever file described it.
std::string canonicalVehicleText(const Vehicle& vehicle);
std::string vehicleHash(const Vehicle& vehicle);

}  // namespace ascent

// The input files of the library: the vehicle file and the dispersion file,
// both TOML with `schema = 1`. Every problem of a file is found before any is
// reported, each as "FILE:LINE: what is wrong, the value and what is allowed".
//
// The vehicle file holds one table per part of the vehicle with the keys of
// vehicleKeys() (snake_case, units in the names), and only what differs from
// the defaults:
//
//   schema = 1
//   [core]
//   thrust_N = 1.1e6
//
// The dispersion file names the vehicle keys to disperse and how:
//
//   schema = 1
//   [[dispersion]]
//   key = "core.thrust_N"
//   distribution = "normal"   # normal | uniform | truncated_normal
//   sigma = 0.5               # normal, truncated_normal
//   bounds = [-1.5, 1.5]      # uniform, truncated_normal
//   relative = true           # sigma and bounds in percent of the nominal value
//   [[correlation]]
//   keys = ["core.thrust_N", "core.exhaust_velocity_mps"]
//   coefficient = 0.5
//
//   ascent::VehicleFile file = ascent::readVehicleFile("heavier.toml");
//   ascent::DispersionFile d = ascent::readDispersionFile("dispersions.toml", file.vehicle);
//   ascent::Sampler sampler(file.vehicle, d.dispersions, d.correlations);
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ascent/dispersion.h"
#include "ascent/errors.h"
#include "ascent/vehicle.h"

namespace ascent {

// A vehicle read from a file, with what it changes.
struct VehicleFile {
  std::string path;
  Vehicle vehicle;
  std::vector<std::string> changedKeys;  // keys that differ from the defaults
  // Keys the file left out that follow from those it gives
  // (deriveVehicleKeys), and "FILE:LINE: warning: ..." for a given value that
  // disagrees with them but can be flown as given.
  std::vector<DerivedKey> derivedKeys;
  std::vector<std::string> warnings;
};

// Reads and validates a vehicle file: unknown keys (with the nearest known
// one), wrong types, non-finite numbers, values outside their domain, events
// out of order, a drag table that does not increase, a given value that
// contradicts the keys it follows from. The keys left out that follow from
// those given are derived from them. Throws Error for a file
// that cannot be read and InputError for every problem of its contents.
VehicleFile readVehicleFile(const std::string& path);
// The same for text held in memory; `name` names it in the problems.
VehicleFile parseVehicleText(std::string_view text, const std::string& name);

// The complete description of a vehicle as a vehicle file: every key with a
// comment giving its meaning and unit. It reads back to the same vehicle.
std::string vehicleToml(const Vehicle& vehicle);

// Reads and validates a dispersion file against the nominal vehicle: unknown
// keys (with the nearest known one), keys that cannot be dispersed, unknown
// distributions and fields, sigma <= 0, bounds out of order, a relative
// dispersion of a zero nominal value, correlations of keys not dispersed or
// not positive definite; every problem with FILE:LINE. Throws Error when the
// file cannot be read and InputError for its contents.
DispersionFile readDispersionFile(const std::string& path, const Vehicle& nominal);
DispersionFile parseDispersionText(std::string_view text, const std::string& name,
                                   const Vehicle& nominal);

}  // namespace ascent

// The vehicle's object in a result (ascent/design_schema.h): here, beside the
// canonical form its hash is taken of.
#include "ascent/design_schema.h"
#include "files/vehicle_file.h"

namespace ascent {

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

}  // namespace ascent

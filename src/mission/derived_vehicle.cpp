#include <cmath>

#include "mission/vehicle.h"
#include "physics/constants.h"

namespace ascent {

DerivedVehicle::DerivedVehicle(const Vehicle& v) {
  const Boosters& b = v.boosters;
  liftoffPropellant_kg = v.core.propellant_kg + b.count * b.propellant_kg;
  stackInertMass_kg = v.core.inert_mass_kg + b.count * b.inert_mass_kg;
  boosterStackRefArea_m2 = pi * b.reference_diameter_squared_m2 / 4 + v.aero.protuberance_area_m2;
  boosterStackExitArea_m2 = pi * b.count * b.exit_diameter_squared_m2 / 4 + v.core.exit_area_m2;
  forceArea_m2 = pi * v.core.diameter_squared_m2 / 4;
  surfaceSpeed_mps = std::cos(pi * v.site.latitude_deg / 180) * 2 * pi * earthRadius / siderealDay;
  kickRate_radps = pi * v.timeline.kick_rate_deg_per_s / 180;
  recordIntervalLimit_s = b.record_interval_s + recordIntervalTolerance;

  coreRefArea_m2 = pi * v.core.diameter_squared_m2 / 4 + v.aero.protuberance_area_m2;
  tailOffVelocity_mps = 2 * v.core.exhaust_velocity_mps;

  const Timeline& t = v.timeline;
  ullageAxialThrust_N = v.ullage.thrust_N * std::cos(pi * v.ullage.cant_deg / 180);
  ullageMassFlow_kgps = v.ullage.propellant_kg / (t.ullage_burn_to_separation_s +
                                                  t.separation_coast_s + t.first_startup_step_s);
  upperRefArea_m2 = pi * v.upper.diameter_squared_m2 / 4;
  mainExitArea_m2 = v.upper.engine_count * pi * v.upper.exit_diameter_squared_m2 / 4;
  startupTime_s = upperStartupTime_s(v);
  targetOrbitSpeed_mps = std::sqrt(earthMu / (earthRadius + v.guidance.target_altitude_m));

  // A table the drag model cannot take (vehicleProblems names it) keeps the
  // standard one rather than read outside its rows.
  const auto& table = v.aero.drag_table;
  if (table.empty() || table.size() > DragModel::maxSegments || table.front().mach != 0) {
    drag = standardDragModel();
  } else {
    drag.count = table.size();
    for (std::size_t i = 0; i < drag.count; ++i) {
      drag.segments[i] = {table[i].mach, table[i].cd, table[i].fall, table[i].over_mach};
    }
  }
  drag.scale = v.aero.drag_scale;
}

double upperStartupTime_s(const Vehicle& v) {
  return 2 * v.upper.startup_propellant_kg * v.upper.exhaust_velocity_mps / v.upper.thrust_N;
}

const DerivedVehicle& defaultDerivedVehicle() {
  static const DerivedVehicle derived(Vehicle::defaults());
  return derived;
}

}  // namespace ascent

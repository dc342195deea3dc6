// The default vehicle against its published values.
#include <gtest/gtest.h>

#include "ascent/vehicle.h"
#include "mission/mission_test_support.h"

namespace ascent {
namespace {

using testing::ullageFlow;

const Vehicle& V = Vehicle::defaults();

// The default vehicle's values that these tests' expectations are built
// from, as published, so that a mistyped default fails here by name.
TEST(MissionVehicle, DefaultsAreThePublishedValues) {
  const struct {
    const char* key;
    double value;
  } published[] = {
      {"boosters.count", 2},
      {"boosters.exhaust_velocity_mps", 2756.6},
      {"boosters.propellant_kg", 680388.6},
      {"boosters.exit_diameter_squared_m2", 15.01407504},
      {"core.thrust_N", 9115295.04},
      {"core.exhaust_velocity_mps", 4436.5},
      {"core.exit_area_m2", 16.68220083888478},
      {"core.tail_off_propellant_kg", 1236},
      {"upper.mass_kg", 293840},
      {"upper.thrust_N", 2562176},
      {"upper.exhaust_velocity_mps", 4275.7},
      {"upper.startup_propellant_kg", 771},
      {"upper.mainstage_propellant_kg", 148522 - 771},
      {"ullage.propellant_kg", 156},
      {"timeline.ullage_burn_to_separation_s", 0.18},
      {"timeline.separation_coast_s", 3.4},
      {"timeline.first_startup_step_s", 0.29},
      {"resizing.S3_Mt_kg", 301222},
      {"resizing.interstage_per_newton", 0.0009254525098549929},
  };
  for (const auto& p : published) {
    const VehicleKey* key = findVehicleKey(p.key);
    ASSERT_NE(key, nullptr) << p.key;
    EXPECT_EQ(key->get(V), p.value) << p.key;
  }
  EXPECT_DOUBLE_EQ(ullageFlow, 40.310077519379846);
}

}  // namespace
}  // namespace ascent

// The launch vehicle as data: boosters, core stage, upper stage with its
// ullage motors, the launch site, the aerodynamics, the event timeline, the
// guidance and the laws that re-size the upper stage after a flight.
//
// Vehicle::defaults() is the vehicle the program has always flown. Values
// that follow from others (start-up time, target orbit speed, surface speed,
// areas from diameters squared, propellant loaded, tail-off time) are not
// fields: a mission computes them from these when it starts, in the order of
// operations that reproduces the default vehicle's bits. Two keys follow
// from others unless given (deriveVehicleKeys below).
//
// Every scalar field has a dotted key ("core.thrust_N") in one table,
// vehicleKeys(), with its unit, its domain and a comment: the vehicle file,
// `ascent vehicle`, the dispersion sampler, the trades and the Python module
// all go through it. The Earth, the atmosphere and the integration scheme are
// not part of a vehicle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ascent {

struct LaunchSite {
  double latitude_deg = 28.45;  // geodetic latitude of the pad; sets the surface speed

  bool operator==(const LaunchSite&) const = default;
};

struct Boosters {
  double count = 2;                               // boosters, whole number
  double exhaust_velocity_mps = 2756.6;           // flow = thrust / exhaust velocity
  double propellant_kg = 680388.6;                // loaded in one booster
  double inert_mass_kg = 96615.2;                 // one booster without its propellant
  double exit_diameter_squared_m2 = 15.01407504;  // one nozzle exit, diameter squared
  // Diameter squared of the reference area of the stack while the boosters fly.
  double reference_diameter_squared_m2 = 123.85717164;
  // Applied to every record of the thrust history as it is read.
  double thrust_scale = 1;
  double time_scale = 1;
  // The interval between thrust records that the pitch kicks last (one
  // interval each); a longer interval in the history is warned about.
  double record_interval_s = 0.986832971065;

  bool operator==(const Boosters&) const = default;
};

struct CoreStage {
  double thrust_N = 9115295.04;              // vacuum thrust of the core engines together
  double exhaust_velocity_mps = 4436.5;      // flow = thrust / exhaust velocity
  double exit_area_m2 = 16.68220083888478;   // nozzle exits of the core engines together
  double diameter_squared_m2 = 70.68437476;  // the load path and the core's reference area
  double propellant_kg = 964825.0;           // loaded at lift-off
  // The core stage without its propellant loaded: its dry mass and the
  // tail-off propellant, which is burned while the thrust falls to zero.
  double inert_mass_kg = 126699.0;
  double tail_off_propellant_kg = 1236.0;
  double saj_mass_kg = 920.0;   // jettisoned at timeline.jettison_time_s
  double las_mass_kg = 7394.0;  // jettisoned with the SAJ

  bool operator==(const CoreStage&) const = default;
};

struct UpperStage {
  double mass_kg = 293840.0;             // separated upper stage with the spacecraft
  double thrust_N = 2562176.0;           // main engines at full thrust, vacuum
  double exhaust_velocity_mps = 4275.7;  // flow = thrust / exhaust velocity
  double startup_propellant_kg = 771.0;  // burned on the linear thrust ramp
  double mainstage_propellant_kg = 147751.0;
  double engine_count = 2;                     // main engines, whole number
  double exit_diameter_squared_m2 = 9.290304;  // one main engine exit, diameter squared
  double diameter_squared_m2 = 70.68437476;    // the upper stage's reference area

  bool operator==(const UpperStage&) const = default;
};

struct UllageMotors {
  double thrust_N = 87998.0;     // all motors together, vacuum
  double cant_deg = 30.0;        // nozzle cant: the axial thrust is thrust * cos(cant)
  double propellant_kg = 156.0;  // burned from ignition to the first start-up step's end
  double case_mass_kg = 152.0;   // empty motors, dropped at their jettison

  bool operator==(const UllageMotors&) const = default;
};

// One row of the drag-coefficient table: from `mach` on (inclusive) the
// coefficient is cd - (M - mach) * fall / over_mach, up to the next row.
struct DragRow {
  double mach;
  double cd;
  double fall;       // change of the coefficient over `over_mach`, positive falling
  double over_mach;  // Mach numbers over which it falls by `fall`

  bool operator==(const DragRow&) const = default;
};

struct Aerodynamics {
  // m^2, added to the reference area while the core stage flies: its protuberances.
  double protuberance_area_m2 = 0.235;
  double drag_scale = 1;  // multiplies the drag coefficient
  // Mach 0 to 1 inclusive subsonic, a step just above Mach 1, three linear
  // stretches, constant from Mach 5 (the last row stays flat).
  std::vector<DragRow> drag_table;
  Aerodynamics();  // the default table

  bool operator==(const Aerodynamics&) const = default;
};

struct Timeline {
  double pitch_over_altitude_m = 110.0;       // the pitch-over kick starts here
  double kick_rate_deg_per_s = 0.6;           // pitch rate of both kicks
  double separation_time_s = 130.2;           // booster separation
  double jettison_time_s = 330.0;             // SAJ and LAS jettison
  double cutoff_coast_s = 0.58;               // core cutoff to ullage ignition
  double ullage_burn_to_separation_s = 0.18;  // ullage ignition to core separation
  double separation_coast_s = 3.4;            // core separation to main-engine ignition
  double first_startup_step_s = 0.29;         // the ullage motors burn out at its end
  double ullage_jettison_s = 8.32;            // after main-engine ignition
  double final_coast_s = 5.0;                 // after upper-stage cutoff

  bool operator==(const Timeline&) const = default;
};

struct Guidance {
  double core_law_exponent = 2.0;   // vertical-acceleration law of the core stage
  double upper_law_exponent = 1.0;  // and of the upper stage
  // The guided ascent ends when speed * factor passes the target orbit speed,
  // the vacuum burn when it passes the local circular speed.
  double guided_speed_factor = 1.01;
  double vacuum_speed_factor = 1.001;
  double target_altitude_m = 200000.0;  // circular orbit aimed at

  bool operator==(const Guidance&) const = default;
};

struct Loads {
  double carried_mass_kg = 309536.0;  // mass above the tracked load path at lift-off

  bool operator==(const Loads&) const = default;
};

// Laws that re-size the upper stage from a flight's peak force and its
// remaining propellant, fitted to stages of this class.
struct Resizing {
  double S3_Mt_kg = 301222.0;  // interstage, third stage and payload: the total shared out
  double interstage_per_newton = 0.0009254525098549929;  // kg of interstage per N of peak force
  double rcs_fraction = 0.00040668518679110434;          // kg of RCS propellant per kg of stage
  double ullage_thrust_factor = 4.697632540384641e-06;   // N per kg^exponent of stage
  double ullage_thrust_exponent = 1.8785570549256645;
  double ullage_propellant_per_newton = 0.0017739314964024006;  // kg per N of ullage thrust
  double ullage_case_factor = 2.0946304612614393;  // kg per kg^exponent of ullage propellant
  double ullage_case_exponent = 0.848;
  double reserve_fraction = 0.01677221595673925;  // kg of reserve per kg of propellant used
  double dry_mass_factor = 0.655535696224196;     // kg per kg^exponent of propellant
  double dry_mass_exponent = 0.848;
  double dry_mass_base_kg = 4944.0;

  bool operator==(const Resizing&) const = default;
};

struct Vehicle {
  LaunchSite site;
  Boosters boosters;
  CoreStage core;
  UpperStage upper;
  UllageMotors ullage;
  Aerodynamics aero;
  Timeline timeline;
  Guidance guidance;
  Loads loads;
  Resizing resizing;

  static const Vehicle& defaults();
  bool operator==(const Vehicle&) const = default;
};

// What values a key takes.
enum class KeyDomain {
  Positive,     // > 0
  NonNegative,  // >= 0
  Count,        // a whole number >= 1
  Latitude,     // -90 .. 90
  Angle,        // 0 .. 90 (degrees)
};

// One scalar field of the vehicle under its dotted key.
struct VehicleKey {
  std::string_view key;   // "core.thrust_N"
  std::string_view unit;  // "N", "kg", "-" for none
  KeyDomain domain;
  std::string_view comment;  // meaning, one line
  double& (*field)(Vehicle&);
  double get(const Vehicle& v) const { return field(const_cast<Vehicle&>(v)); }
  void set(Vehicle& v, double value) const { field(v) = value; }
};

// Every scalar key, in the order of the vehicle file.
std::span<const VehicleKey> vehicleKeys();
// The key of that name; nullptr when there is none.
const VehicleKey* findVehicleKey(std::string_view key);
// The name of every scalar key, in the same order.
std::span<const std::string_view> vehicleKeyNames();
// The known key nearest in spelling (nearestName of ascent/text.h); empty
// when none is close.
std::string nearestVehicleKey(std::string_view key);
// Whether `value` lies in the domain; the allowed range in words.
bool inDomain(KeyDomain domain, double value);
std::string_view domainText(KeyDomain domain);

// Keys whose values differ from the defaults (the drag table as "aero.drag_table").
std::vector<std::string> changedVehicleKeys(const Vehicle& vehicle);

// Reasons the vehicle cannot be flown as described, independent of any thrust
// history: values outside their domain, events out of order, a drag table
// whose Mach numbers do not increase, propellant heavier than its stage. Empty
// when it can be flown.
std::vector<std::string> vehicleProblems(const Vehicle& vehicle);

// Keys that follow from others unless a description gives them. A heavier
// upper stage is one change that three keys see: the stage flown after core
// separation (upper.mass_kg); the stack above the core that holds it, the
// stage and its interstage, which the re-sizing shares out
// (resizing.S3_Mt_kg); and the mass above the tracked load path at lift-off,
// that stack and the SAJ and LAS jettisoned from it (loads.carried_mass_kg).
// In the default vehicle
//
//   resizing.S3_Mt_kg     = upper.mass_kg + 7382 kg of interstage
//   loads.carried_mass_kg = resizing.S3_Mt_kg + core.saj_mass_kg + core.las_mass_kg
//
// The interstage is not a key: a changed vehicle keeps the one of the
// vehicle it was changed from (S3_Mt - upper.mass; carried - SAJ - LAS -
// upper.mass for the stack flown), and a vehicle with another interstage
// gives resizing.S3_Mt_kg and loads.carried_mass_kg together.

// A key set from others, and how.
struct DerivedKey {
  std::string_view key;
  std::string relation;  // "upper.mass_kg + 7382 kg (the interstage)"
};

// A value given for a key that disagrees with what the other keys give it.
struct KeyConflict {
  std::string_view key;
  double given = 0;
  double follows = 0;    // what the relation gives
  std::string relation;  // the relation in keys
  bool refused = false;  // false: a warning, the vehicle is flown as given
  std::string why;       // what the key is, and what to give instead
  // "loads.carried_mass_kg = 310000 is not resizing.S3_Mt_kg + ... = 309536: why"
  std::string text() const;
};

struct VehicleDerivation {
  std::vector<DerivedKey> derived;     // in the order of vehicleKeys()
  std::vector<KeyConflict> conflicts;  // in the order of vehicleKeys()
};

// Sets the keys of `vehicle` that follow from others and are not among
// `given` (the keys a description set on a copy of `base`), from what they
// follow from in `vehicle` and the interstage of `base`; a key whose inputs
// are those of `base` keeps its value, bit for bit. The given values are
// checked against the relations. The vehicle file and the Python module's
// Vehicle.with_changes read their changes through it, and the trades move
// what follows from a traded key with it.
VehicleDerivation deriveVehicleKeys(const Vehicle& base, Vehicle& vehicle,
                                    std::span<const std::string> given);
// What a key that cannot be given without the keys it follows from follows
// from ("resizing.S3_Mt_kg + core.saj_mass_kg + core.las_mass_kg" for
// loads.carried_mass_kg): a dispersion cannot draw it on its own. Empty for
// every other key.
std::string_view refusedAloneRelation(std::string_view key);

// The vehicle's description in canonical form (every key in table order,
// numbers in their shortest exact form) and its FNV-1a 64-bit hash as 16 hex
// digits: the same vehicle has the same hash whatever file described it.
std::string canonicalVehicleText(const Vehicle& vehicle);
std::string vehicleHash(const Vehicle& vehicle);

}  // namespace ascent

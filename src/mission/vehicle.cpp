#include "ascent/vehicle.h"

#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "ascent/text.h"
#include "mission/vehicle.h"
#include "physics/drag.h"

namespace ascent {

Aerodynamics::Aerodynamics() {
  const DragModel& standard = standardDragModel();
  for (std::size_t i = 0; i < standard.count; ++i) {
    const DragSegment& s = standard.segments[i];
    drag_table.push_back({s.mach, s.cd, s.fall, s.overMach});
  }
}

const Vehicle& Vehicle::defaults() {
  static const Vehicle vehicle;
  return vehicle;
}

namespace {

#define ASCENT_KEY(part, name, unit, domain, comment)      \
  VehicleKey {                                             \
#part "." #name, unit, KeyDomain::domain, comment,     \
        [](Vehicle & v) -> double& { return v.part.name; } \
  }

// clang-format off
constexpr VehicleKey keys[] = {
    ASCENT_KEY(site, latitude_deg, "deg", Latitude, "latitude of the launch site; sets the eastward surface speed"),
    ASCENT_KEY(boosters, count, "-", Count, "number of boosters"),
    ASCENT_KEY(boosters, exhaust_velocity_mps, "m/s", Positive, "booster effective exhaust velocity: flow = thrust / this"),
    ASCENT_KEY(boosters, propellant_kg, "kg", Positive, "propellant loaded in one booster"),
    ASCENT_KEY(boosters, inert_mass_kg, "kg", NonNegative, "one booster without its propellant"),
    ASCENT_KEY(boosters, exit_diameter_squared_m2, "m2", NonNegative, "diameter squared of one booster nozzle exit"),
    ASCENT_KEY(boosters, reference_diameter_squared_m2, "m2", Positive, "diameter squared of the stack's reference area while the boosters fly"),
    ASCENT_KEY(boosters, thrust_scale, "-", Positive, "multiplies every thrust of the thrust history"),
    ASCENT_KEY(boosters, time_scale, "-", Positive, "multiplies every time of the thrust history"),
    ASCENT_KEY(boosters, record_interval_s, "s", Positive, "interval between thrust records; each pitch kick lasts one"),
    ASCENT_KEY(core, thrust_N, "N", Positive, "vacuum thrust of the core engines together"),
    ASCENT_KEY(core, exhaust_velocity_mps, "m/s", Positive, "core effective exhaust velocity: flow = thrust / this"),
    ASCENT_KEY(core, exit_area_m2, "m2", NonNegative, "nozzle exit area of the core engines together"),
    ASCENT_KEY(core, diameter_squared_m2, "m2", Positive, "diameter squared of the core stage: load path and reference area"),
    ASCENT_KEY(core, propellant_kg, "kg", Positive, "core propellant loaded at lift-off"),
    ASCENT_KEY(core, inert_mass_kg, "kg", NonNegative, "core stage without its propellant loaded: its dry mass and the tail-off propellant"),
    ASCENT_KEY(core, tail_off_propellant_kg, "kg", Positive, "part of core.inert_mass_kg burned while the core thrust falls linearly to zero (more of it is less dry mass)"),
    ASCENT_KEY(core, saj_mass_kg, "kg", NonNegative, "SAJ mass, jettisoned at timeline.jettison_time_s"),
    ASCENT_KEY(core, las_mass_kg, "kg", NonNegative, "LAS mass, jettisoned with the SAJ"),
    ASCENT_KEY(upper, mass_kg, "kg", Positive, "separated upper stage with the spacecraft, propellant included"),
    ASCENT_KEY(upper, thrust_N, "N", Positive, "vacuum thrust of the main engines together at full thrust"),
    ASCENT_KEY(upper, exhaust_velocity_mps, "m/s", Positive, "main-engine effective exhaust velocity: flow = thrust / this"),
    ASCENT_KEY(upper, startup_propellant_kg, "kg", Positive, "burned on the linear thrust ramp of the main engines"),
    ASCENT_KEY(upper, mainstage_propellant_kg, "kg", Positive, "propellant of the mainstage burn"),
    ASCENT_KEY(upper, engine_count, "-", Count, "number of main engines"),
    ASCENT_KEY(upper, exit_diameter_squared_m2, "m2", NonNegative, "diameter squared of one main-engine nozzle exit"),
    ASCENT_KEY(upper, diameter_squared_m2, "m2", Positive, "diameter squared of the upper stage's reference area"),
    ASCENT_KEY(ullage, thrust_N, "N", NonNegative, "vacuum thrust of the ullage motors together"),
    ASCENT_KEY(ullage, cant_deg, "deg", Angle, "cant of the ullage nozzles: the axial thrust is thrust * cos(cant)"),
    ASCENT_KEY(ullage, propellant_kg, "kg", NonNegative, "ullage propellant, burned from ignition to the end of the first start-up step"),
    ASCENT_KEY(ullage, case_mass_kg, "kg", NonNegative, "empty ullage motors, dropped at their jettison"),
    ASCENT_KEY(aero, protuberance_area_m2, "m2", NonNegative, "added to the reference area while the core stage flies"),
    ASCENT_KEY(aero, drag_scale, "-", Positive, "multiplies the drag coefficient"),
    ASCENT_KEY(timeline, pitch_over_altitude_m, "m", Positive, "altitude at which the pitch-over kick starts"),
    ASCENT_KEY(timeline, kick_rate_deg_per_s, "deg/s", Positive, "pitch rate of the pitch-over and end-of-turn kicks"),
    ASCENT_KEY(timeline, separation_time_s, "s", Positive, "mission time of booster separation"),
    ASCENT_KEY(timeline, jettison_time_s, "s", Positive, "mission time of the SAJ and LAS jettison"),
    ASCENT_KEY(timeline, cutoff_coast_s, "s", Positive, "coast from core cutoff to ullage ignition"),
    ASCENT_KEY(timeline, ullage_burn_to_separation_s, "s", Positive, "from ullage ignition to core separation"),
    ASCENT_KEY(timeline, separation_coast_s, "s", Positive, "from core separation to main-engine ignition"),
    ASCENT_KEY(timeline, first_startup_step_s, "s", Positive, "first start-up step; the ullage motors burn out at its end"),
    ASCENT_KEY(timeline, ullage_jettison_s, "s", Positive, "ullage motor jettison, after main-engine ignition"),
    ASCENT_KEY(timeline, final_coast_s, "s", Positive, "coast after upper-stage cutoff"),
    ASCENT_KEY(guidance, core_law_exponent, "-", Positive, "exponent of the core stage's vertical-acceleration law"),
    ASCENT_KEY(guidance, upper_law_exponent, "-", Positive, "exponent of the upper stage's vertical-acceleration law"),
    ASCENT_KEY(guidance, guided_speed_factor, "-", Positive, "the guided ascent ends when speed * this passes the target orbit speed"),
    ASCENT_KEY(guidance, vacuum_speed_factor, "-", Positive, "the vacuum burn ends when speed * this passes the circular speed"),
    ASCENT_KEY(guidance, target_altitude_m, "m", Positive, "altitude of the circular orbit aimed at"),
    ASCENT_KEY(loads, carried_mass_kg, "kg", Positive, "mass above the tracked load path at lift-off"),
    ASCENT_KEY(resizing, S3_Mt_kg, "kg", Positive, "interstage, third stage and payload: the total the re-sizing shares out"),
    ASCENT_KEY(resizing, interstage_per_newton, "kg/N", NonNegative, "interstage mass per newton of peak force"),
    ASCENT_KEY(resizing, rcs_fraction, "-", NonNegative, "RCS propellant per kilogram of stage mass"),
    ASCENT_KEY(resizing, ullage_thrust_factor, "N/kg^e", NonNegative, "ullage thrust = this * stage mass ^ ullage_thrust_exponent"),
    ASCENT_KEY(resizing, ullage_thrust_exponent, "-", Positive, "exponent of the ullage thrust law"),
    ASCENT_KEY(resizing, ullage_propellant_per_newton, "kg/N", NonNegative, "ullage propellant per newton of ullage thrust"),
    ASCENT_KEY(resizing, ullage_case_factor, "kg/kg^e", NonNegative, "ullage case mass = this * ullage propellant ^ ullage_case_exponent"),
    ASCENT_KEY(resizing, ullage_case_exponent, "-", Positive, "exponent of the ullage case law"),
    ASCENT_KEY(resizing, reserve_fraction, "-", NonNegative, "propellant reserve per kilogram of propellant used"),
    ASCENT_KEY(resizing, dry_mass_factor, "kg/kg^e", NonNegative, "dry mass = this * propellant ^ dry_mass_exponent + dry_mass_base_kg"),
    ASCENT_KEY(resizing, dry_mass_exponent, "-", Positive, "exponent of the dry mass law"),
    ASCENT_KEY(resizing, dry_mass_base_kg, "kg", NonNegative, "fixed part of the dry mass"),
};
// clang-format on

#undef ASCENT_KEY

// The keys' names, for the nearest one to a misspelt key.
constexpr auto keyNames = [] {
  std::array<std::string_view, std::size(keys)> names{};
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = keys[i].key;
  return names;
}();

}  // namespace

std::span<const VehicleKey> vehicleKeys() {
  return keys;
}

const VehicleKey* findVehicleKey(std::string_view key) {
  for (const VehicleKey& k : keys) {
    if (k.key == key) return &k;
  }
  return nullptr;
}

std::span<const std::string_view> vehicleKeyNames() {
  return keyNames;
}

std::string nearestVehicleKey(std::string_view key) {
  return nearestName(key, keyNames);
}

bool inDomain(KeyDomain domain, double value) {
  if (!std::isfinite(value)) return false;
  switch (domain) {
    case KeyDomain::Positive:
      return value > 0;
    case KeyDomain::NonNegative:
      return value >= 0;
    case KeyDomain::Count:
      return value >= 1 && value <= 64 && value == std::floor(value);
    case KeyDomain::Latitude:
      return value >= -90 && value <= 90;
    case KeyDomain::Angle:
      return value >= 0 && value < 90;
  }
  return false;
}

std::string_view domainText(KeyDomain domain) {
  switch (domain) {
    case KeyDomain::Positive:
      return "a finite number > 0";
    case KeyDomain::NonNegative:
      return "a finite number >= 0";
    case KeyDomain::Count:
      return "a whole number from 1 to 64";
    case KeyDomain::Latitude:
      return "from -90 to 90";
    case KeyDomain::Angle:
      return "from 0 up to (not including) 90";
  }
  return "";
}

std::vector<std::string> changedVehicleKeys(const Vehicle& vehicle) {
  const Vehicle& defaults = Vehicle::defaults();
  std::vector<std::string> changed;
  for (const VehicleKey& k : keys) {
    // Bits, not values: -0 and 0 differ in a description.
    const double a = k.get(vehicle), b = k.get(defaults);
    if (std::memcmp(&a, &b, sizeof a) != 0) changed.emplace_back(k.key);
  }
  if (!(vehicle.aero.drag_table == defaults.aero.drag_table))
    changed.emplace_back("aero.drag_table");
  return changed;
}

namespace {

using Problems = std::vector<std::string>;

void keyDomainProblems(const Vehicle& v, Problems& problems) {
  for (const VehicleKey& k : keys) {
    const double value = k.get(v);
    if (!inDomain(k.domain, value)) {
      problems.push_back(std::string(k.key) + " = " + readableText(value) + ": must be " +
                         std::string(domainText(k.domain)));
    }
  }
}

// The events of the timeline in flight order.
void timelineProblems(const Vehicle& v, Problems& problems) {
  const Timeline& t = v.timeline;
  if (!(t.separation_time_s < t.jettison_time_s)) {
    problems.push_back(
        "timeline.separation_time_s = " + readableText(t.separation_time_s) +
        " must come before timeline.jettison_time_s = " + readableText(t.jettison_time_s));
  }
  if (!(t.first_startup_step_s < t.ullage_jettison_s)) {
    problems.push_back(
        "timeline.first_startup_step_s = " + readableText(t.first_startup_step_s) +
        " must be shorter than timeline.ullage_jettison_s = " + readableText(t.ullage_jettison_s));
  }
  const double startupTime = upperStartupTime_s(v);
  if (std::isfinite(startupTime) && !(t.first_startup_step_s < startupTime)) {
    problems.push_back("timeline.first_startup_step_s = " + readableText(t.first_startup_step_s) +
                       " must be shorter than the main-engine start-up, " +
                       readableText(startupTime) +
                       " s (2 * upper.startup_propellant_kg * upper.exhaust_velocity_mps / "
                       "upper.thrust_N)");
  }
  if (std::isfinite(startupTime) && !(startupTime < t.ullage_jettison_s)) {
    problems.push_back(
        "the main-engine start-up, " + readableText(startupTime) +
        " s, must end before timeline.ullage_jettison_s = " + readableText(t.ullage_jettison_s));
  }
}

// The propellant and masses that one stage carries.
void massProblems(const Vehicle& v, Problems& problems) {
  if (!(v.upper.startup_propellant_kg + v.upper.mainstage_propellant_kg + v.ullage.propellant_kg +
            v.ullage.case_mass_kg <
        v.upper.mass_kg)) {
    problems.push_back(
        "the upper stage's propellant and ullage motors (start-up + mainstage + ullage "
        "propellant + ullage cases = " +
        readableText(v.upper.startup_propellant_kg + v.upper.mainstage_propellant_kg +
                     v.ullage.propellant_kg + v.ullage.case_mass_kg) +
        " kg) must weigh less than upper.mass_kg = " + readableText(v.upper.mass_kg));
  }
  // The tail-off burns propellant that the inert mass holds, not the loaded
  // propellant: it must leave the stage some dry mass.
  if (!(v.core.tail_off_propellant_kg < v.core.inert_mass_kg)) {
    problems.push_back(
        "core.tail_off_propellant_kg = " + readableText(v.core.tail_off_propellant_kg) +
        " must be less than core.inert_mass_kg = " + readableText(v.core.inert_mass_kg) +
        ", which holds it and the stage's dry mass");
  }
  if (!(v.core.saj_mass_kg + v.core.las_mass_kg < v.loads.carried_mass_kg)) {
    problems.push_back(
        "core.saj_mass_kg + core.las_mass_kg must be less than "
        "loads.carried_mass_kg = " +
        readableText(v.loads.carried_mass_kg) + ", the mass they are part of");
  }
  // The flight drops the core and the interstage at core separation and goes
  // on with the upper stage: that stage is part of the stack it came from.
  const double flownStack = (v.loads.carried_mass_kg - v.core.saj_mass_kg) - v.core.las_mass_kg;
  if (!(v.upper.mass_kg <= flownStack)) {
    problems.push_back("upper.mass_kg = " + readableText(v.upper.mass_kg) +
                       " must be at most the stack above the core that holds it, "
                       "loads.carried_mass_kg - core.saj_mass_kg - core.las_mass_kg = " +
                       readableText(flownStack));
  }
}

// Row i of a drag table that has from 1 to DragModel::maxSegments rows.
void dragRowProblems(const std::vector<DragRow>& table, std::size_t i, Problems& problems) {
  const DragRow& row = table[i];
  const std::string where = "aero.drag_table row " + std::to_string(i + 1);
  if (!std::isfinite(row.mach) || !std::isfinite(row.cd) || !std::isfinite(row.fall) ||
      !std::isfinite(row.over_mach) || !(row.over_mach > 0) || !(row.cd >= 0)) {
    problems.push_back(where +
                       ": mach, cd, fall and over_mach must be finite, cd >= 0 and "
                       "over_mach > 0");
  }
  if (i + 1 == table.size() && row.fall != 0) {
    problems.push_back(where + ": fall = " + readableText(row.fall) +
                       ": the last row holds its coefficient to any Mach number, so its "
                       "fall must be 0");
  }
  // Each stretch is linear up to the next row: its lowest value is where
  // it ends, and a coefficient below zero there would push the vehicle.
  if (i + 1 < table.size() && row.over_mach > 0 && std::isfinite(row.cd) &&
      std::isfinite(row.fall)) {
    const double end = row.cd - ((table[i + 1].mach - row.mach) * row.fall) / row.over_mach;
    if (!(end >= 0)) {
      problems.push_back(where + ": the coefficient falls to " + readableText(end) + " by Mach " +
                         readableText(table[i + 1].mach) + " (row " + std::to_string(i + 2) +
                         "): it must stay at least 0");
    }
  }
  if (i > 0 && !(row.mach > table[i - 1].mach)) {
    problems.push_back(where + ": mach = " + readableText(row.mach) +
                       ": the Mach numbers must increase strictly (row " + std::to_string(i) +
                       " has " + readableText(table[i - 1].mach) + ")");
  }
}

// The drag table: Mach numbers from 0, strictly increasing, finite values.
void dragTableProblems(const std::vector<DragRow>& table, Problems& problems) {
  if (table.empty() || table.size() > DragModel::maxSegments) {
    problems.push_back("aero.drag_table must have from 1 to " +
                       std::to_string(DragModel::maxSegments) + " rows");
    return;
  }
  if (table.front().mach != 0) {
    problems.push_back("aero.drag_table row 1: mach = " + readableText(table.front().mach) +
                       ": the first row must start at Mach 0");
  }
  for (std::size_t i = 0; i < table.size(); ++i) dragRowProblems(table, i, problems);
}

}  // namespace

std::vector<std::string> vehicleProblems(const Vehicle& v) {
  std::vector<std::string> problems;
  keyDomainProblems(v, problems);
  timelineProblems(v, problems);
  massProblems(v, problems);
  dragTableProblems(v.aero.drag_table, problems);
  return problems;
}

}  // namespace ascent

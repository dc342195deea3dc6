// The keys that follow from others (ascent/vehicle.h): the stack above the
// core moves with the upper stage, and the mass above the load path with
// that stack, the SAJ and the LAS.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "ascent/text.h"
#include "ascent/vehicle.h"

namespace ascent {

namespace {

bool sameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool isGiven(std::span<const std::string> given, std::string_view key) {
  return std::find(given.begin(), given.end(), key) != given.end();
}

// A value written in decimal and a sum of doubles differ in the last bits:
// they agree within a few units in the last place of masses of this size.
bool agrees(double given, double follows) {
  return std::fabs(given - follows) <= 1e-10 * std::fabs(follows);
}

std::string interstageText(double interstage_kg) {
  return readableText(interstage_kg) + " kg (the interstage)";
}

// A given mass above the load path that is not the stack, the SAJ and the
// LAS is refused: the flight reads it from the pad to core separation, and
// nothing else describes what it carries but the stack the re-sizing shares
// out and the SAJ and LAS jettisoned from it. Another sum would fly one
// vehicle and size the spacecraft of another, with no key saying which is
// meant; and trading it alone would rank mass that belongs to no part.
constexpr std::string_view carriedRelation =
    "resizing.S3_Mt_kg + core.saj_mass_kg + core.las_mass_kg";

KeyConflict carriedConflict(const Vehicle& v) {
  KeyConflict c;
  c.key = "loads.carried_mass_kg";
  c.given = v.loads.carried_mass_kg;
  c.follows = (v.resizing.S3_Mt_kg + v.core.saj_mass_kg) + v.core.las_mass_kg;
  c.relation = carriedRelation;
  c.refused = true;
  c.why =
      "the mass above the load path at lift-off is the stack above the core and the SAJ and LAS "
      "(leave it out and it follows; for another interstage give resizing.S3_Mt_kg with it)";
  return c;
}

// A given stack that differs from the one flown is a warning: only the
// re-sizing reads resizing.S3_Mt_kg, after the flight, so another value
// changes the bookkeeping of SC_M and not the flight (the what-if the trades
// list apart from the keys that change the flight). The vehicle is flown as
// given, and the warning says SC_M is not the payload of the stack flown.
KeyConflict stackConflict(const Vehicle& v) {
  KeyConflict c;
  c.key = "resizing.S3_Mt_kg";
  c.given = v.resizing.S3_Mt_kg;
  c.follows = (v.loads.carried_mass_kg - v.core.saj_mass_kg) - v.core.las_mass_kg;
  c.relation = "loads.carried_mass_kg - core.saj_mass_kg - core.las_mass_kg";
  c.why =
      "the re-sizing shares out a stack the flight does not carry, so SC_M is not the payload of "
      "the stack flown (give loads.carried_mass_kg = " +
      readableText((c.given + v.core.saj_mass_kg) + v.core.las_mass_kg) + " with it to fly it)";
  return c;
}

}  // namespace

std::string_view refusedAloneRelation(std::string_view key) {
  return key == "loads.carried_mass_kg" ? carriedRelation : std::string_view();
}

std::string KeyConflict::text() const {
  return std::string(key) + " = " + readableText(given) + " is not " + relation + " = " +
         readableText(follows) + ": " + why;
}

VehicleDerivation deriveVehicleKeys(const Vehicle& base, Vehicle& v,
                                    std::span<const std::string> given) {
  VehicleDerivation d;
  const bool stackGiven = isGiven(given, "resizing.S3_Mt_kg");
  const bool carriedGiven = isGiven(given, "loads.carried_mass_kg");
  // The interstage of the vehicle changed, as the re-sizing shares it out
  // and as it is flown: the same 7382 kg in the default vehicle.
  const double sizedInterstage = base.resizing.S3_Mt_kg - base.upper.mass_kg;
  const double flownInterstage =
      ((base.loads.carried_mass_kg - base.core.saj_mass_kg) - base.core.las_mass_kg) -
      base.upper.mass_kg;
  const bool stageMoved = !sameBits(v.upper.mass_kg, base.upper.mass_kg);
  const bool jettisonMoved = !sameBits(v.core.saj_mass_kg, base.core.saj_mass_kg) ||
                             !sameBits(v.core.las_mass_kg, base.core.las_mass_kg);
  // In the order of the key table: loads before resizing.
  if (!carriedGiven && (stageMoved || jettisonMoved)) {
    v.loads.carried_mass_kg =
        ((v.upper.mass_kg + flownInterstage) + v.core.saj_mass_kg) + v.core.las_mass_kg;
    d.derived.push_back({"loads.carried_mass_kg", "upper.mass_kg + " +
                                                      interstageText(flownInterstage) +
                                                      " + core.saj_mass_kg + core.las_mass_kg"});
  }
  if (!stackGiven && stageMoved) {
    v.resizing.S3_Mt_kg = v.upper.mass_kg + sizedInterstage;
    d.derived.push_back(
        {"resizing.S3_Mt_kg", "upper.mass_kg + " + interstageText(sizedInterstage)});
  }
  if (carriedGiven) {
    KeyConflict c = carriedConflict(v);
    if (!agrees(c.given, c.follows)) d.conflicts.push_back(std::move(c));
  } else if (stackGiven) {
    KeyConflict c = stackConflict(v);
    if (!agrees(c.given, c.follows)) d.conflicts.push_back(std::move(c));
  }
  return d;
}

}  // namespace ascent

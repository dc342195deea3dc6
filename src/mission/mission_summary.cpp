#include "mission/mission_summary.h"

#include <cmath>

#include "physics/constants.h"
#include "physics/rounding.h"

namespace ascent {

namespace {

// x^p as exp(p ln x).
double power(double x, double p) {
  return std::exp(p * std::log(x));
}

}  // namespace

void updateRecommendation(RunRecord& run, double limit_rad, double averageAltitude_m,
                          double targetAltitude_m) {
  if (run.previousAverageAltitude_m != averageAltitude_m) {
    run.recommendedLimit_rad =
        limit_rad - ((limit_rad - run.previousLimit_rad) * (averageAltitude_m - targetAltitude_m)) /
                        (averageAltitude_m - run.previousAverageAltitude_m);
    run.previousAverageAltitude_m = averageAltitude_m;
    run.previousLimit_rad = limit_rad;
  }
}

namespace {

// The re-sizing laws with every mass they round passed through `round`.
template <typename Round>
UpperStageSizing applyResizingLaws(const Vehicle& vehicle, double maxForce_N,
                                   double remainingPropellant_kg, Round round) {
  const Resizing& law = vehicle.resizing;
  const double startupPropellant = vehicle.upper.startup_propellant_kg;
  const double propellantLoaded = startupPropellant + vehicle.upper.mainstage_propellant_kg;
  UpperStageSizing z;
  z.S3_Mt_kg = law.S3_Mt_kg;
  z.S3_Mi_kg = round(maxForce_N * law.interstage_per_newton);
  const double stageMass = z.S3_Mt_kg - z.S3_Mi_kg;
  z.rcsPropellant_kg = round(stageMass * law.rcs_fraction);
  z.S3_Fu_N = round(power(stageMass, law.ullage_thrust_exponent) * law.ullage_thrust_factor);
  z.S3_Mup_kg = round(z.S3_Fu_N * law.ullage_propellant_per_newton);
  z.S3_Mus_kg = round(power(z.S3_Mup_kg, law.ullage_case_exponent) * law.ullage_case_factor);
  const double propellantUsed = propellantLoaded - remainingPropellant_kg;
  z.reservePropellant_kg = round(propellantUsed * law.reserve_fraction);
  z.propellantTotal_kg = z.reservePropellant_kg + propellantUsed;
  z.dryMass_kg = round(power(z.propellantTotal_kg, law.dry_mass_exponent) * law.dry_mass_factor +
                       law.dry_mass_base_kg);
  z.S3_Mp1_kg = startupPropellant;
  z.S3_Mp2_kg = z.propellantTotal_kg - startupPropellant - z.reservePropellant_kg;
  z.S3_Ms_kg = z.dryMass_kg + z.rcsPropellant_kg + z.reservePropellant_kg;
  z.SC_M_kg = z.S3_Mt_kg - (z.S3_Mup_kg + z.S3_Mi_kg + z.S3_Mus_kg + startupPropellant +
                            z.S3_Mp2_kg + z.S3_Ms_kg);
  return z;
}

}  // namespace

UpperStageSizing sizeUpperStage(const Vehicle& vehicle, double maxForce_N,
                                double remainingPropellant_kg) {
  UpperStageSizing z =
      applyResizingLaws(vehicle, maxForce_N, remainingPropellant_kg, roundHalfEven);
  // The same laws, nothing rounded: a smooth mass for trades and searches.
  z.SC_M_unrounded_kg =
      applyResizingLaws(vehicle, maxForce_N, remainingPropellant_kg, [](double mass) {
        return mass;
      }).SC_M_kg;
  return z;
}

}  // namespace ascent

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

UpperStageSizing sizeUpperStage(const Vehicle& vehicle, double maxForce_N,
                                double remainingPropellant_kg) {
  const Resizing& law = vehicle.resizing;
  const double startupPropellant = vehicle.upper.startup_propellant_kg;
  const double propellantLoaded = startupPropellant + vehicle.upper.mainstage_propellant_kg;
  UpperStageSizing z;
  z.S3_Mt = law.S3_Mt_kg;
  z.S3_Mi = roundHalfEven(maxForce_N * law.interstage_per_newton);
  const double stageMass = z.S3_Mt - z.S3_Mi;
  z.rcsPropellant = roundHalfEven(stageMass * law.rcs_fraction);
  z.S3_Fu = roundHalfEven(power(stageMass, law.ullage_thrust_exponent) * law.ullage_thrust_factor);
  z.S3_Mup = roundHalfEven(z.S3_Fu * law.ullage_propellant_per_newton);
  z.S3_Mus = roundHalfEven(power(z.S3_Mup, law.ullage_case_exponent) * law.ullage_case_factor);
  const double propellantUsed = propellantLoaded - remainingPropellant_kg;
  z.reserve = roundHalfEven(propellantUsed * law.reserve_fraction);
  z.propellantTotal = z.reserve + propellantUsed;
  z.dryMass = roundHalfEven(power(z.propellantTotal, law.dry_mass_exponent) * law.dry_mass_factor +
                            law.dry_mass_base_kg);
  z.S3_Mp1 = startupPropellant;
  z.S3_Mp2 = z.propellantTotal - startupPropellant - z.reserve;
  z.S3_Ms = z.dryMass + z.rcsPropellant + z.reserve;
  z.SC_M = z.S3_Mt - (z.S3_Mup + z.S3_Mi + z.S3_Mus + startupPropellant + z.S3_Mp2 + z.S3_Ms);

  // The same laws, nothing rounded.
  const double interstage = maxForce_N * law.interstage_per_newton;
  const double stage = z.S3_Mt - interstage;
  const double rcs = stage * law.rcs_fraction;
  const double ullageThrust = power(stage, law.ullage_thrust_exponent) * law.ullage_thrust_factor;
  const double ullagePropellant = ullageThrust * law.ullage_propellant_per_newton;
  const double ullageCases =
      power(ullagePropellant, law.ullage_case_exponent) * law.ullage_case_factor;
  const double reserve = propellantUsed * law.reserve_fraction;
  const double total = reserve + propellantUsed;
  const double dry =
      power(total, law.dry_mass_exponent) * law.dry_mass_factor + law.dry_mass_base_kg;
  const double mainstage = total - startupPropellant - reserve;
  const double cutoff = dry + rcs + reserve;
  z.SC_M_unrounded = z.S3_Mt - (ullagePropellant + interstage + ullageCases + startupPropellant +
                                mainstage + cutoff);
  return z;
}

}  // namespace ascent

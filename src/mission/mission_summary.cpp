#include "mission/mission_summary.h"

#include <cmath>

#include "mission/vehicle.h"
#include "physics/constants.h"
#include "physics/rounding.h"

namespace ascent {

namespace {

// Upper-stage sizing laws, fitted to stages of this class.
constexpr double S3_Mt = 301222.0;             // kg, interstage, third stage and payload
constexpr double propellantLoaded = 148522.0;  // kg, start-up and mainstage at ignition
constexpr double interstagePerNewton = 0.0009254525098549929;  // kg/N of peak force
constexpr double rcsFraction = 0.00040668518679110434;         // kg RCS propellant per kg
constexpr double ullageThrustFactor = 4.697632540384641e-06;   // N per kg^exponent
constexpr double ullageThrustExponent = 1.8785570549256645;
constexpr double ullagePropellantPerNewton = 0.0017739314964024006;  // kg/N
constexpr double ullageCaseFactor = 2.0946304612614393;
constexpr double ullageCaseExponent = 0.848;
constexpr double reserveFraction = 0.01677221595673925;  // kg per kg of propellant used
constexpr double dryMassFactor = 0.655535696224196;
constexpr double dryMassExponent = 0.848;
constexpr double dryMassBase = 4944.0;  // kg

// x^p as exp(p ln x).
double power(double x, double p) {
  return std::exp(p * std::log(x));
}

}  // namespace

void updateRecommendation(RunRecord& run, double limit_rad, double averageAltitude_m) {
  if (run.previousAverageAltitude_m != averageAltitude_m) {
    run.recommendedLimit_rad = limit_rad - ((limit_rad - run.previousLimit_rad) *
                                            (averageAltitude_m - targetOrbitAltitude)) /
                                               (averageAltitude_m - run.previousAverageAltitude_m);
    run.previousAverageAltitude_m = averageAltitude_m;
    run.previousLimit_rad = limit_rad;
  }
}

UpperStageSizing sizeUpperStage(double maxForce_N, double remainingPropellant_kg) {
  UpperStageSizing z;
  z.S3_Mt = S3_Mt;
  z.S3_Mi = roundHalfEven(maxForce_N * interstagePerNewton);
  const double stageMass = S3_Mt - z.S3_Mi;
  z.rcsPropellant = roundHalfEven(stageMass * rcsFraction);
  z.S3_Fu = roundHalfEven(power(stageMass, ullageThrustExponent) * ullageThrustFactor);
  z.S3_Mup = roundHalfEven(z.S3_Fu * ullagePropellantPerNewton);
  z.S3_Mus = roundHalfEven(power(z.S3_Mup, ullageCaseExponent) * ullageCaseFactor);
  const double propellantUsed = propellantLoaded - remainingPropellant_kg;
  z.reserve = roundHalfEven(propellantUsed * reserveFraction);
  z.propellantTotal = z.reserve + propellantUsed;
  z.dryMass =
      roundHalfEven(power(z.propellantTotal, dryMassExponent) * dryMassFactor + dryMassBase);
  z.S3_Mp1 = startupPropellant;
  z.S3_Mp2 = z.propellantTotal - startupPropellant - z.reserve;
  z.S3_Ms = z.dryMass + z.rcsPropellant + z.reserve;
  z.SC_M = S3_Mt - (z.S3_Mup + z.S3_Mi + z.S3_Mus + startupPropellant + z.S3_Mp2 + z.S3_Ms);
  return z;
}

}  // namespace ascent

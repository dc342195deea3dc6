#include "mission/mission_summary.h"

#include <cmath>
#include <string>

#include "report/number_format.h"
#include "physics/constants.h"
#include "mission/vehicle.h"

namespace ascent {

namespace {

// Upper-stage sizing laws, fitted to stages of this class.
constexpr double S3_Mt = 301222.0;  // kg, interstage, third stage and payload
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
double power(double x, double p) { return std::exp(p * std::log(x)); }

double degrees(double radians) { return radians * 180 / pi; }

class SummaryWriter {
 public:
  explicit SummaryWriter(RunContext& run) : run_(run), line_(run.line) { line_.clear(); }
  SummaryWriter& text(std::string_view s) { line_.append(s); return *this; }
  SummaryWriter& symbol(unsigned char c) { line_.push_back(static_cast<char>(c)); return *this; }
  SummaryWriter& fixed(double value, int width, int decimals) {
    appendFixed(line_, value, width, decimals);
    return *this;
  }
  void endLine() {
    line_.push_back('\n');
    run_.report->write(line_);
    line_.clear();
  }

 private:
  RunContext& run_;
  std::string& line_;
};

void updateRecommendation(FlightState& s) {
  s.averageAltitude = (s.apogee + s.perigee) / 2;
  s.altitudeHalfRange = s.apogee - s.averageAltitude;
  // Secant through this mission's (limit, average altitude) and the last
  // updating mission's, solved for the target altitude; an equal average
  // would divide by zero and leaves the recommendation as it is.
  if (s.previousAverageAltitude != s.averageAltitude) {
    s.recommendedAlphaMax =
        s.alphaMax - ((s.alphaMax - s.previousAlphaMax) * (s.averageAltitude - targetOrbitAltitude)) /
                         (s.averageAltitude - s.previousAverageAltitude);
    s.previousAverageAltitude = s.averageAltitude;
    s.previousAlphaMax = s.alphaMax;
  }
}

void writeResults(RunContext& run) {
  const FlightState& s = run.state;
  SummaryWriter out(run);
  out.endLine();
  out.text("Turn Time = ").fixed(s.turnTime, 5, 3).text(" s, Maximum angle of attack = ")
      .fixed(degrees(s.alphaMax), 7, 4).symbol(s.degreeChar).endLine();
  out.text("Upper Stage").text(" in Orbit! Remaining propellant = ").fixed(s.Me, 1, 0)
      .text(" kg.").endLine();
  out.text("Perigee = ").fixed(s.perigee / 1000, 5, 1).text(" km, Apogee = ")
      .fixed(s.apogee / 1000, 5, 1).text(" km, Average Altitude = ")
      .fixed(s.averageAltitude / 1000, 5, 1).symbol(s.plusMinusChar)
      .fixed(s.altitudeHalfRange / 1000, 3, 1).text(" km").endLine();
  out.text("Vacuum and zero gravity delta-V = ").fixed(s.deltaV, 1, 0).text(" m/s").endLine();
  out.text("Maximum force = ").fixed(s.maxForce, 1, 0).text(" N at ").fixed(s.maxForceTime, 4, 2)
      .text(" s").endLine();
  out.text("Liftoff thrust = ").fixed(s.liftoffThrust, 1, 0).text(" N at ")
      .fixed(s.liftoffAcceleration, 5, 2).text(" m/s").symbol(s.squaredChar).text(" for ")
      .fixed(s.liftoffMass, 1, 0).text(" kg").endLine();
  if (s.dataFiles) {
    out.text("Maximum dynamic pressure = ").fixed(s.maxQ, 1, 0).text(" N at ")
        .fixed(s.maxQTime, 5, 2).text(" s").endLine();
    out.text("Maximum acceleration = ").fixed(s.maxAccel, 5, 2).text(" m/s").symbol(s.squaredChar)
        .text(" at ").fixed(s.maxAccelTime, 5, 2).text(" s").endLine();
  }
  out.endLine();
}

// Constants of an upper stage re-sized from this flight's peak force and
// propellant; values of the expected size all end in column 20.
void writeUpperStageConstants(RunContext& run) {
  const FlightState& s = run.state;
  const double S3_Mi = roundHalfEven(s.maxForce * interstagePerNewton);
  const double stageMass = S3_Mt - S3_Mi;
  const double rcsPropellant = roundHalfEven(stageMass * rcsFraction);
  const double S3_Fu = roundHalfEven(power(stageMass, ullageThrustExponent) * ullageThrustFactor);
  const double S3_Mup = roundHalfEven(S3_Fu * ullagePropellantPerNewton);
  const double S3_Mus = roundHalfEven(power(S3_Mup, ullageCaseExponent) * ullageCaseFactor);
  const double propellantUsed = propellantLoaded - s.Me;
  const double reserve = roundHalfEven(propellantUsed * reserveFraction);
  const double propellantTotal = reserve + propellantUsed;
  const double dryMass =
      roundHalfEven(power(propellantTotal, dryMassExponent) * dryMassFactor + dryMassBase);
  const double S3_Mp2 = propellantTotal - startupPropellant - reserve;
  const double S3_Ms = dryMass + rcsPropellant + reserve;
  const double SC_M = S3_Mt - (S3_Mup + S3_Mi + S3_Mus + startupPropellant + S3_Mp2 + S3_Ms);

  const std::string indent(27, ' ');
  SummaryWriter out(run);
  out.text("  S3_Mt    =  ").fixed(S3_Mt, 6, 0)
      .text("; {kg, interstage, third stage and payload mass}").endLine();
  out.text("  S3_Mi    =    ").fixed(S3_Mi, 4, 0).text("; {kg, interstage mass}").endLine();
  out.text("  S3_Mp1   =     ").text("771").text("; {kg, startup propellant mass}").endLine();
  out.text("  S3_Mp2   =  ").fixed(S3_Mp2, 6, 0).text("; {kg, mainstage propellant mass used, ")
      .fixed(propellantTotal, 6, 0).text(" kg total -").endLine();
  out.text(indent).text("771").text(" kg startup - ").fixed(reserve, 3, 0).text(" kg reserve}")
      .endLine();
  out.text("  S3_Ms    =   ").fixed(S3_Ms, 5, 0).text("; {kg, cutoff mass, ")
      .fixed(rcsPropellant, 3, 0).text(" kg RCS propellant + ").fixed(dryMass, 5, 0)
      .text(" kg dry +").endLine();
  out.text(indent).fixed(reserve, 4, 0).text(" kg reserve}").endLine();
  out.text("  S3_Mup   =     ").fixed(S3_Mup, 3, 0)
      .text("; {kg, total ullage motor propellant}").endLine();
  out.text("  S3_Mus   =     ").fixed(S3_Mus, 3, 0).text("; {kg, total ullage motor empty}")
      .endLine();
  out.text("  S3_Fu    =  ").fixed(S3_Fu, 6, 0).text("; {N,  total ullage motor vacuum thrust}")
      .endLine();
  out.text("  SC_M     =  ").fixed(SC_M, 6, 0).text("; {kg, Spacecraft mass}").endLine();
  out.endLine();
  out.text("Recommended maxa = ").fixed(degrees(s.recommendedAlphaMax), 7, 4)
      .symbol(s.degreeChar).endLine();
  out.endLine();
}

}  // namespace

void missionSummary(RunContext& run) {
  updateRecommendation(run.state);
  writeResults(run);
  writeUpperStageConstants(run);
}

}  // namespace ascent

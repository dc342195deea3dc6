#include "report/summary_text.h"

#include "physics/constants.h"
#include "report/number_format.h"

namespace ascent {

namespace {

// Builds the summary's lines one by one in a reused string.
class SummaryWriter {
 public:
  SummaryWriter(OutStream& report, std::string& line) : report_(report), line_(line) {
    line_.clear();
  }
  SummaryWriter& text(std::string_view s) {
    line_.append(s);
    return *this;
  }
  SummaryWriter& fixed(double value, int width, int decimals) {
    appendFixed(line_, value, width, decimals);
    return *this;
  }
  void endLine() {
    line_.push_back('\n');
    report_.write(line_);
    line_.clear();
  }

 private:
  OutStream& report_;
  std::string& line_;
};

void writeResults(SummaryWriter& out, const MissionResult& r, const Signs& signs,
                  bool withRunPeaks) {
  out.endLine();
  out.text("Turn Time = ")
      .fixed(r.turnTime_s, 5, 3)
      .text(" s, Maximum angle of attack = ")
      .fixed(toDegrees(r.limit_rad), 7, 4)
      .text(signs.degree)
      .endLine();
  out.text("Upper Stage")
      .text(" in Orbit! Remaining propellant = ")
      .fixed(r.remainingPropellant_kg, 1, 0)
      .text(" kg.")
      .endLine();
  out.text("Perigee = ")
      .fixed(r.perigee_m / 1000, 5, 1)
      .text(" km, Apogee = ")
      .fixed(r.apogee_m / 1000, 5, 1)
      .text(" km, Average Altitude = ")
      .fixed(r.averageAltitude_m / 1000, 5, 1)
      .text(signs.plusMinus)
      .fixed(r.altitudeHalfRange_m / 1000, 3, 1)
      .text(" km")
      .endLine();
  out.text("Vacuum and zero gravity delta-V = ").fixed(r.deltaV_mps, 1, 0).text(" m/s").endLine();
  out.text("Maximum force = ")
      .fixed(r.maxForce_N, 1, 0)
      .text(" N at ")
      .fixed(r.maxForceTime_s, 4, 2)
      .text(" s")
      .endLine();
  out.text("Liftoff thrust = ")
      .fixed(r.liftoffThrust_N, 1, 0)
      .text(" N at ")
      .fixed(r.liftoffAcceleration_mps2, 5, 2)
      .text(" m/s")
      .text(signs.squared)
      .text(" for ")
      .fixed(r.liftoffMass_kg, 1, 0)
      .text(" kg")
      .endLine();
  if (withRunPeaks) {
    out.text("Maximum dynamic pressure = ")
        .fixed(r.runPeaks.maxQ_Pa, 1, 0)
        .text(" N at ")
        .fixed(r.runPeaks.maxQTime_s, 5, 2)
        .text(" s")
        .endLine();
    out.text("Maximum acceleration = ")
        .fixed(r.runPeaks.maxAccel_mps2, 5, 2)
        .text(" m/s")
        .text(signs.squared)
        .text(" at ")
        .fixed(r.runPeaks.maxAccelTime_s, 5, 2)
        .text(" s")
        .endLine();
  }
  out.endLine();
}

// Values of the expected size all end in column 20.
void writeUpperStageConstants(SummaryWriter& out, const MissionResult& r, const Signs& signs) {
  const UpperStageSizing& z = r.sizing;
  const std::string indent(27, ' ');
  out.text("  S3_Mt    =  ")
      .fixed(z.S3_Mt_kg, 6, 0)
      .text("; {kg, interstage, third stage and payload mass}")
      .endLine();
  out.text("  S3_Mi    =    ").fixed(z.S3_Mi_kg, 4, 0).text("; {kg, interstage mass}").endLine();
  out.text("  S3_Mp1   =     ")
      .fixed(z.S3_Mp1_kg, 1, 0)
      .text("; {kg, startup propellant mass}")
      .endLine();
  out.text("  S3_Mp2   =  ")
      .fixed(z.S3_Mp2_kg, 6, 0)
      .text("; {kg, mainstage propellant mass used, ")
      .fixed(z.propellantTotal_kg, 6, 0)
      .text(" kg total -")
      .endLine();
  out.text(indent)
      .fixed(z.S3_Mp1_kg, 1, 0)
      .text(" kg startup - ")
      .fixed(z.reservePropellant_kg, 3, 0)
      .text(" kg reserve}")
      .endLine();
  out.text("  S3_Ms    =   ")
      .fixed(z.S3_Ms_kg, 5, 0)
      .text("; {kg, cutoff mass, ")
      .fixed(z.rcsPropellant_kg, 3, 0)
      .text(" kg RCS propellant + ")
      .fixed(z.dryMass_kg, 5, 0)
      .text(" kg dry +")
      .endLine();
  out.text(indent).fixed(z.reservePropellant_kg, 4, 0).text(" kg reserve}").endLine();
  out.text("  S3_Mup   =     ")
      .fixed(z.S3_Mup_kg, 3, 0)
      .text("; {kg, total ullage motor propellant}")
      .endLine();
  out.text("  S3_Mus   =     ")
      .fixed(z.S3_Mus_kg, 3, 0)
      .text("; {kg, total ullage motor empty}")
      .endLine();
  out.text("  S3_Fu    =  ")
      .fixed(z.S3_Fu_N, 6, 0)
      .text("; {N,  total ullage motor vacuum thrust}")
      .endLine();
  out.text("  SC_M     =  ").fixed(z.SC_M_kg, 6, 0).text("; {kg, Spacecraft mass}").endLine();
  out.endLine();
  out.text("Recommended maxa = ")
      .fixed(toDegrees(r.recommendedLimit_rad), 7, 4)
      .text(signs.degree)
      .endLine();
  out.endLine();
}

}  // namespace

Signs fileSigns() {
  return {"\xB0", "\xB1", "\xB2"};
}
Signs consoleSigns() {
  return {"\xF8", "\xF1", "\xFD"};
}
Signs utf8Signs() {
  return {"\xC2\xB0", "\xC2\xB1", "\xC2\xB2"};
}

void longRecordIntervalLine(std::string& line, double recordInterval_s) {
  line.assign("Error! Booster time increments must be at most ");
  appendFixed(line, recordInterval_s, 14, 12);
  line += " seconds\n";
}

void writeSummary(OutStream& report, const MissionResult& result, const Signs& signs,
                  bool withRunPeaks, std::string& line) {
  SummaryWriter out(report, line);
  writeResults(out, result, signs, withRunPeaks);
  writeUpperStageConstants(out, result, signs);
}

}  // namespace ascent

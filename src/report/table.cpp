#include "report/table.h"

#include "physics/constants.h"
#include "report/number_format.h"

namespace ascent {

namespace {

// Degrees as value * 180 / pi, evaluated left to right as the summary does:
// a precomputed 180 / pi differs in the last bit and can flip a printed digit.
double degrees(double radians) { return radians * 180 / pi; }

}  // namespace

void writeTableHeading(OutStream& report, std::string_view squared) {
  report.write("\n");
  report.write("   t      a     vi     h0       r0      alpha  beta  theta     Pq");
  report.write("     m0+Me\n");
  report.write("  sec    m/s");
  report.write(squared);
  report.write("  m/s   metres   metres     deg    deg   deg      Pa");
  report.write("       kg\n");
  report.write(std::string(tableRowWidth, '-'));
  report.write("\n");
}

void writeTableRow(OutStream& report, const StepRow& row, std::string& line) {
  line.clear();
  appendFixed(line, row.t_s, 7, 2);
  appendFixed(line, row.a_mps2, 6, 1);
  appendWhole(line, row.vi_mps, 6);
  appendWhole(line, row.h_m, 8);
  appendWhole(line, row.range_m, 10);
  appendFixed(line, degrees(row.alpha_rad), 7, 2);
  appendFixed(line, degrees(row.beta_rad), 7, 2);
  appendFixed(line, degrees(row.theta_rad), 7, 2);
  appendFixed(line, row.q_Pa, 9, 1);
  appendFixed(line, row.mass_kg, 10, 1);
  line += '\n';
  report.write(line);
}

void writeDataLines(const DataFiles& files, const StepRow& row, std::string& line) {
  line.clear();
  appendFixed(line, row.t_s, 7, 2);
  const std::size_t timeWidth = line.size();
  appendWhole(line, row.vi_mps, 6);
  line += '\n';
  files.speed->write(line);

  line.resize(timeWidth);
  appendFixed(line, row.h_m / 1000, 9, 3);
  line += '\n';
  files.height->write(line);

  line.resize(timeWidth);
  appendFixed(line, row.a_mps2, 8, 3);
  line += '\n';
  files.accel->write(line);

  line.resize(timeWidth);
  appendFixed(line, row.q_Pa / 1000, 9, 4);
  line += '\n';
  files.dynpres->write(line);
}

}  // namespace ascent

#include "report/table.h"

#include <string_view>

#include "app/interrupts.h"
#include "report/number_format.h"
#include "physics/constants.h"

namespace ascent {

namespace {
constexpr double degreesPerRadian = 180.0 / pi;
}

void writeTableHeading(RunContext& run) {
  const char squared = static_cast<char>(run.state.squaredChar);
  OutStream& report = *run.report;
  report.write("\n");
  report.write("   t      a     vi     h0       r0      alpha  beta  theta     Pq");
  report.write("     m0+Me\n");
  report.write("  sec    m/s");
  report.put(squared);
  report.write("  m/s   metres   metres     deg    deg   deg      Pa");
  report.write("       kg\n");
  report.write(std::string(tableRowWidth, '-'));
  report.write("\n");
}

void writeTableRow(RunContext& run, double t, double a, double vi, double h0, double r0,
                   double alpha, double beta, double theta, double Pq, double totalMass) {
  std::string& line = run.line;
  line.clear();
  appendFixed(line, t, 7, 2);
  appendFixed(line, a, 6, 1);
  appendWhole(line, vi, 6);
  appendWhole(line, h0, 8);
  appendWhole(line, r0, 10);
  appendFixed(line, alpha * degreesPerRadian, 7, 2);
  appendFixed(line, beta * degreesPerRadian, 7, 2);
  appendFixed(line, theta * degreesPerRadian, 7, 2);
  appendFixed(line, Pq, 9, 1);
  appendFixed(line, totalMass, 10, 1);
  line += '\n';
  run.report->write(line);
  checkInterrupt();
}

void writeDataLines(RunContext& run, double t, double vi, double h0, double a,
                    double dynamicPressure) {
  if (!run.state.dataFiles) return;
  std::string& line = run.line;
  line.clear();
  appendFixed(line, t, 7, 2);
  const std::size_t timeWidth = line.size();
  appendWhole(line, vi, 6);
  line += '\n';
  run.speedFile->write(line);

  line.resize(timeWidth);
  appendFixed(line, h0 / 1000, 9, 3);
  line += '\n';
  run.heightFile->write(line);

  line.resize(timeWidth);
  appendFixed(line, a, 8, 3);
  line += '\n';
  run.accelFile->write(line);

  line.resize(timeWidth);
  appendFixed(line, dynamicPressure / 1000, 9, 4);
  line += '\n';
  run.dynpresFile->write(line);
}

}  // namespace ascent

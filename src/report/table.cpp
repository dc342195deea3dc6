#include "report/table.h"

#include <cstring>

#include "physics/constants.h"
#include "report/fixed_format.h"

namespace ascent {

namespace {

// Degrees as value * 180 / pi, evaluated left to right as the summary does:
// a precomputed 180 / pi differs in the last bit and can flip a printed digit.
double degrees(double radians) {
  return radians * 180 / pi;
}

// Room for a row or a data line: every field may take its longest form,
// and a field may use the room after its end as scratch.
constexpr int rowRoom = fixedFieldRoom(7, 2) + fixedFieldRoom(6, 1) + fixedFieldRoom(6, 0) +
                        fixedFieldRoom(8, 0) + fixedFieldRoom(10, 0) + 3 * fixedFieldRoom(7, 2) +
                        fixedFieldRoom(9, 1) + fixedFieldRoom(10, 1) + 1;
constexpr int dataLineRoom = fixedFieldRoom(7, 2) + fixedFieldRoom(9, 4) + 1;

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

namespace {

// A row's text, with where its time and speed fields lie: the speed data
// line prints the same two fields the same way and copies them.
struct RowText {
  char text[rowRoom];
  char* timeEnd;
  char* speedStart;
  char* speedEnd;
  char* end;
};

void formatRow(const StepRow& row, RowText& out) {
  char* p = out.timeEnd = writeFixed(out.text, row.t_s, 7, 2);
  p = out.speedStart = writeFixed(p, row.a_mps2, 6, 1);
  p = out.speedEnd = writeWhole(p, row.vi_mps, 6);
  p = writeWhole(p, row.h_m, 8);
  p = writeWhole(p, row.range_m, 10);
  p = writeFixed(p, degrees(row.alpha_rad), 7, 2);
  p = writeFixed(p, degrees(row.beta_rad), 7, 2);
  p = writeFixed(p, degrees(row.theta_rad), 7, 2);
  p = writeFixed(p, row.q_Pa, 9, 1);
  p = writeFixed(p, row.mass_kg, 10, 1);
  *p++ = '\n';
  out.end = p;
}

std::size_t sizeOf(const char* start, const char* end) {
  return static_cast<std::size_t>(end - start);
}

}  // namespace

void writeTableRow(OutStream& report, const StepRow& row) {
  RowText line;
  formatRow(row, line);
  report.write({line.text, sizeOf(line.text, line.end)});
}

void writeRowAndDataLines(OutStream& report, const DataFiles& files, const StepRow& row) {
  RowText line;
  formatRow(row, line);
  report.write({line.text, sizeOf(line.text, line.end)});

  // Each data line is the row's time field and one value.
  char data[dataLineRoom];
  const std::size_t timeSize = sizeOf(line.text, line.timeEnd);
  std::memcpy(data, line.text, timeSize);
  char* const value = data + timeSize;

  const std::size_t speedSize = sizeOf(line.speedStart, line.speedEnd);
  std::memcpy(value, line.speedStart, speedSize);
  char* p = value + speedSize;
  *p++ = '\n';
  files.speed->write({data, sizeOf(data, p)});

  p = writeFixed(value, row.h_m / 1000, 9, 3);
  *p++ = '\n';
  files.height->write({data, sizeOf(data, p)});

  p = writeFixed(value, row.a_mps2, 8, 3);
  *p++ = '\n';
  files.accel->write({data, sizeOf(data, p)});

  p = writeFixed(value, row.q_Pa / 1000, 9, 4);
  *p++ = '\n';
  files.dynpres->write({data, sizeOf(data, p)});
}

}  // namespace ascent

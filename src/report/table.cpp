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

// The fields one after the other: a field too wide for its width pushes the
// rest of the row to the right.
void formatRow(const StepRow& row, RowText& out) {
  char* p = out.timeEnd = writeFixedField<7, 2>(out.text, row.t_s);
  p = out.speedStart = writeFixedField<6, 1>(p, row.a_mps2);
  p = out.speedEnd = writeWholeField<6>(p, row.vi_mps);
  p = writeWholeField<8>(p, row.h_m);
  p = writeWholeField<10>(p, row.range_m);
  p = writeFixedField<7, 2>(p, degrees(row.alpha_rad));
  p = writeFixedField<7, 2>(p, degrees(row.beta_rad));
  p = writeFixedField<7, 2>(p, degrees(row.theta_rad));
  p = writeFixedField<9, 1>(p, row.q_Pa);
  p = writeFixedField<10, 1>(p, row.mass_kg);
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

  p = writeFixedField<9, 3>(value, row.h_m / 1000);
  *p++ = '\n';
  files.height->write({data, sizeOf(data, p)});

  p = writeFixedField<8, 3>(value, row.a_mps2);
  *p++ = '\n';
  files.accel->write({data, sizeOf(data, p)});

  p = writeFixedField<9, 4>(value, row.q_Pa / 1000);
  *p++ = '\n';
  files.dynpres->write({data, sizeOf(data, p)});
}

}  // namespace ascent

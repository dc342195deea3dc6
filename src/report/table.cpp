#include "report/table.h"

#include <cstring>

#include "physics/constants.h"
#include "report/fixed_format.h"

namespace ascent {

namespace {

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
  char* middle;
  char* p =
      writeTwoFields<7, 2, false, 6, 1, false>(out.text, row.t_s, nullptr, row.a_mps2, middle);
  out.timeEnd = middle;
  out.speedStart = p;
  p = writeTwoFields<6, 0, true, 8, 0, true>(p, row.vi_mps, nullptr, row.h_m, middle);
  out.speedEnd = middle;
  p = writeTwoFields<10, 0, true, 7, 2, false>(p, row.range_m, nullptr, toDegrees(row.alpha_rad),
                                               middle);
  p = writeTwoFields<7, 2, false, 7, 2, false>(p, toDegrees(row.beta_rad), nullptr,
                                               toDegrees(row.theta_rad), middle);
  p = writeTwoFields<9, 1, false, 10, 1, false>(p, row.q_Pa, nullptr, row.mass_kg, middle);
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
  const std::size_t timeSize = sizeOf(line.text, line.timeEnd);
  char speed[dataLineRoom], height[dataLineRoom], accel[dataLineRoom], dynpres[dataLineRoom];
  for (char* data : {speed, height, accel, dynpres}) std::memcpy(data, line.text, timeSize);

  const std::size_t speedSize = sizeOf(line.speedStart, line.speedEnd);
  std::memcpy(speed + timeSize, line.speedStart, speedSize);
  char* const speedEnd = speed + timeSize + speedSize;
  char* heightEnd;
  char* const accelEnd = writeTwoFields<9, 3, false, 8, 3, false>(
      height + timeSize, row.h_m / 1000, accel + timeSize, row.a_mps2, heightEnd);
  char* const dynpresEnd = writeFixedField<9, 4>(dynpres + timeSize, row.q_Pa / 1000);

  const struct {
    OutStream* file;
    char* start;
    char* end;
  } lines[] = {{files.speed, speed, speedEnd},
               {files.height, height, heightEnd},
               {files.accel, accel, accelEnd},
               {files.dynpres, dynpres, dynpresEnd}};
  for (const auto& data : lines) {
    *data.end = '\n';
    data.file->write({data.start, sizeOf(data.start, data.end) + 1});
  }
}

}  // namespace ascent

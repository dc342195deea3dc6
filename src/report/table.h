// The trajectory table: the heading written once per run, one fixed-width row
// per integration step, and one line per step in each of the four data files.
#pragma once

#include <string>
#include <string_view>

#include "ascent/ascent.h"
#include "report/streams.h"

namespace ascent {

// Row width when no value overflows its field; the heading's rule is as long.
constexpr int tableRowWidth = 77;

// The four two-column data files for plotting against time.
struct DataFiles {
  OutStream* speed = nullptr;    // inertial speed, m/s
  OutStream* height = nullptr;   // altitude, km
  OutStream* accel = nullptr;    // thrust acceleration, m/s^2
  OutStream* dynpres = nullptr;  // dynamic pressure, kPa
};

// `squared` is the superscript-two sign in the report's code page.
void writeTableHeading(OutStream& report, std::string_view squared);

// Angles of the row in radians, printed in degrees; vi, h0 and r0 are
// printed as whole numbers. A row is built on the stack: it allocates nothing.
void writeTableRow(OutStream& report, const StepRow& row);

// The row, and one line of its time and a value to each data file.
void writeRowAndDataLines(OutStream& report, const DataFiles& files, const StepRow& row);

}  // namespace ascent

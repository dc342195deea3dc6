// The trajectory table: the heading written once per run, one fixed-width row
// per integration step, and one line per step in each of the four data files.
#pragma once

#include "app/run_context.h"

namespace ascent {

// Row width when no value overflows its field; the heading's rule is as long.
constexpr int tableRowWidth = 77;

void writeTableHeading(RunContext& run);

// Angles in radians; vi, h0 and r0 are printed as whole numbers.
void writeTableRow(RunContext& run, double t, double a, double vi, double h0, double r0,
                   double alpha, double beta, double theta, double Pq, double totalMass);

// One line to each data file when data files are on; nothing otherwise.
void writeDataLines(RunContext& run, double t, double vi, double h0, double a,
                    double dynamicPressure);

}  // namespace ascent

// The files a run writes: the report (a named file or the screen) and, with a
// named report, the four data files of the working directory. No output may
// land on the thrust file or on another output, and no two runs may write the
// data files of one directory at once.
#pragma once

#include <cstddef>

#include "app/run_context.h"

namespace ascent {

constexpr std::size_t maxReportNameLength = 255;  // the longest file name of most file systems

// Opens the report named in run.reportName (the screen when empty) and
// the data files, setting run.report and the file streams. Before anything is
// created or emptied: a name that is too long, holds a NUL byte, or designates
// the thrust file (s1.dat, or --thrust FILE) or another output is run-time error 5, and data files
// that another run holds locked are run-time error 11 (EWOULDBLOCK). The data files stay locked
// until they are closed.
void openOutputFiles(RunContext& run);

}  // namespace ascent

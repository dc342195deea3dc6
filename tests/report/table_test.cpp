#include "report/table.h"

#include <gtest/gtest.h>

#include <csignal>

#include "physics/constants.h"
#include "report/in_memory_run.h"
#include "report/interrupt_flag.h"
#include "support/test_support.h"

namespace ascent {
namespace {

using testing::splitLines;

struct TableFixture : testing::InMemoryRun {
  std::string line;
  void row(const StepRow& r) { writeTableRow(reportStream, r); }
};

TEST_F(TableFixture, HeadingIsFourLinesOfFixedLength) {
  writeTableHeading(reportStream, "\xb2");
  auto lines = splitLines(reportBytes);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1].size(), 75u);
  EXPECT_EQ(lines[2].size(), 74u);
  EXPECT_EQ(lines[3], std::string(77, '-'));
  EXPECT_EQ(lines[1],
            "   t      a     vi     h0       r0      alpha  beta  theta     Pq     m0+Me");
  EXPECT_EQ(lines[2],
            "  sec    m/s\xb2  m/s   metres   metres     deg    deg   deg      Pa       kg");
  EXPECT_EQ(reportBytes.back(), '\n');
}

TEST_F(TableFixture, RowFieldsHaveTheirWidthsAndRounding) {
  row({0.0, surfaceGravity, 408.6, 0.0, 0.0, pi / 2, 0.0, pi / 2, 0.0, 2955067.6});
  row({130.2, 35.25, 1234.5, 2.5, -3.5, 0.1, -0.2, 1.0, 12345.67, 123456.78});
  auto lines = splitLines(reportBytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "   0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2955067.6");
  EXPECT_EQ(lines[0].size(), 77u);
  // 1234.5 -> 1234 and 2.5 -> 2 (halves to even), -3.5 -> -4 inside its field.
  EXPECT_EQ(lines[1],
            " 130.20  35.2  1234       2        -4   5.73 -11.46  57.30  12345.7  123456.8");
}

TEST_F(TableFixture, OverflowingFieldPushesTheRowRight) {
  row({12345.678, 0, 0, 123456789.0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(splitLines(reportBytes)[0].size(), 77u + 1u + 1u);
}

// The report writer writes a step's row, and its data lines only when the
// report is a file; a pad row has no data lines.
TEST_F(TableFixture, DataLinesGoToTheirFilesOnlyWithAReportFile) {
  writer->step({1.0, 12.0, 400.0, 100.0, 0, 0, 0, 0, 500.0, 1.0});
  EXPECT_TRUE(files.files.empty());
  ASSERT_EQ(splitLines(reportBytes).size(), 1u);

  withDataFiles();
  reportBytes.clear();
  writer->padRow({0.0, 9.8, 409, 0, 0, pi / 2, 0, pi / 2, 0, 2955067.6});
  writer->step({12.3456, 14.0625, 2.5, 1234.5678, 0, 0, 0, 0, 12345.67891, 1.0});
  writer->step({400.0, 0.0, 7800.4, 200000.0, 0, 0, 0, 0, 0.0, 1.0});
  EXPECT_EQ(files.files["speed.dat"], "  12.35     2\n 400.00  7800\n");
  EXPECT_EQ(files.files["height.dat"], "  12.35    1.235\n 400.00  200.000\n");
  EXPECT_EQ(files.files["accel.dat"], "  12.35  14.062\n 400.00   0.000\n");
  EXPECT_EQ(files.files["dynpres.dat"], "  12.35  12.3457\n 400.00   0.0000\n");
  EXPECT_EQ(splitLines(reportBytes).size(), 3u);
}

// Degrees as value * 180 / pi: a limit of 6.585 degrees held as an angle of
// attack prints as typed, 6.58 (a precomputed 180 / pi gives 6.59).
TEST_F(TableFixture, AnglesAreConvertedAsTheSummaryConvertsThem) {
  const double limit = 6.585 * pi / 180;
  row({0, 0, 0, 0, 0, limit, -limit, 0, 0, 0});
  EXPECT_EQ(splitLines(reportBytes)[0].substr(37, 14), "   6.58  -6.58");
}

// An interrupt is taken after a step's row and all four data lines, so an
// interrupted run's report and data files hold the same steps.
TEST_F(TableFixture, InterruptComesAfterTheDataLines) {
  withDataFiles();
  noteInterrupt(SIGINT);
  EXPECT_THROW(writer->step({1.0, 12.0, 400.0, 100.0, 0, 0, 0, 0, 500.0, 1.0}), Error);
  clearInterrupt();
  EXPECT_EQ(splitLines(reportBytes).size(), 1u);
  for (const char* name : {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    EXPECT_EQ(splitLines(files.files[name]).size(), 1u) << name;
  }
}

}  // namespace
}  // namespace ascent

// The dialogue's fault handlers: a floating-point fault in a step stops the
// run through its exit path, with the report's rows kept.
#include "app/interrupts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/run_context.h"
#include "mission/mission.h"
#include "mission/mission_step.h"
#include "report/report_writer.h"
#include "support/test_support.h"

namespace ascent {
namespace {

// States are written with designated initializers that name only what matters.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// The columns of one table row as printed.
std::vector<std::string> fields(const std::string& row) {
  std::istringstream in(row);
  std::vector<std::string> out;
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

// Column order: t a vi h0 r0 alpha beta theta Pq m0+Me.
enum Column { T, A, VI, H0, R0, ALPHA, BETA, THETA, PQ, MASS };

// 0/0 in the flight-path angle traps; the run stops through its exit path with
// status 207 after flushing the rows already written.
TEST(IntegrationStepDeathTest, ZeroOverZeroStopsTheRunWithError207AndKeepsTheRows) {
  testing::TempDir dir;
  const std::string reportPath = dir / "report.txt", consolePath = dir / "console.txt";
  const FlightState orbiting{
      .dt = 1, .vx = 7790, .h0 = 200000, .m0 = 1.0e4, .steeringMode = SteeringMode::Vacuum};
  EXPECT_EXIT(
      {
        // Standard output is redirected to a file the parent reads afterwards.
        ::dup2(::open(consolePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        FdOutStream standardOutput(1, "standard output", false);
        RealFileSystem files;
        StringInStream noInput("");
        RunContext run(noInput, standardOutput, files);
        run.reportFile = files.create(reportPath);
        run.report = run.reportFile.get();
        run.console = &standardOutput;
        ReportWriter writer(*run.report, DataFiles{}, ReportSettings{});
        FlightState state = orbiting;
        RunRecord record;
        Mission mission(state, sharedAtmosphereTables(), record, &writer);
        FaultHandlers faultHandlers(run);
        step(mission);
        state.vx = state.vy = 0;
        step(mission);
      },
      ::testing::ExitedWithCode(207), "");
  const auto lines = testing::splitLines(testing::readFile(reportPath));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 77u);
  EXPECT_EQ(fields(lines[0])[T], "1.00");
  EXPECT_NE(testing::readFile(consolePath).find("Runtime error 207"), std::string::npos);
}

}  // namespace
}  // namespace ascent

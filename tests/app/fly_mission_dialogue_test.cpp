// The public API's flyMission against the dialogue: a mission flown without
// an observer, with a ReportWriter watching, and by the dialogue in memory.
#include <gtest/gtest.h>

#include <string>

#include "app/run.h"
#include "ascent/ascent.h"
#include "mission/mission_test_support.h"
#include "report/report_writer.h"
#include "report/summary_text.h"

namespace ascent {
namespace {

using testing::thrustCurve;
using testing::thrustFile;

const std::string ownCurve = thrustFile(thrustCurve());

// The dialogue in memory: its report's summary is the text of the result of
// the same mission flown without an observer; a ReportWriter watching changes
// no bit of the result.
TEST(FlyMission, ObserverChangesNothingAndTheDialogueReportsTheSameResult) {
  MemoryFileSystem files;
  files.files["s1.dat"] = ownCurve;
  StringInStream input("report.txt\n10\n3\n-1\n");
  std::string screen;
  StringOutStream output(screen);
  ASSERT_EQ(runProgram(input, output, files, RunOptions{}), 0) << screen;

  const ThrustHistory history = ThrustHistory::fromText(ownCurve);
  RunRecord unwatchedRun, watchedRun;
  const MissionResult unwatched = flyMission(history, 10, 3, unwatchedRun);
  std::string report;
  StringOutStream reportStream(report);
  ReportWriter writer(reportStream, DataFiles{}, ReportSettings{});
  const MissionResult watched = flyMission(history, 10, 3, watchedRun, &writer);
  ASSERT_EQ(unwatched.outcome, Outcome::Orbit);
  EXPECT_GT(report.size(), 50000u);  // the rows and events were written
  EXPECT_EQ(unwatched.steps, watched.steps);
  for (auto field : {&MissionResult::perigee_m, &MissionResult::apogee_m,
                     &MissionResult::remainingPropellant_kg, &MissionResult::deltaV_mps,
                     &MissionResult::maxForce_N, &MissionResult::recommendedLimit_rad}) {
    EXPECT_EQ(unwatched.*field, watched.*field);
  }

  std::string summary, line;
  StringOutStream summaryStream(summary);
  writeSummary(summaryStream, unwatched, fileSigns(), true, line);
  const std::string& dialogue = files.files["report.txt"];
  const std::size_t at = dialogue.find("\nTurn Time = ");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(dialogue.substr(at, summary.size()), summary);
}

}  // namespace
}  // namespace ascent

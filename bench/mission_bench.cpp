// Whole missions: booster, core and upper-stage phases and the summary, about
// 760 integration steps, on the tests' booster thrust curve (which reaches
// orbit) at turn time 10 s and a 3 degree limit. Three outputs: none at all
// (no observer: the floor), the report on the screen, and a report file with
// its four data files, all written to discarding streams. The history is
// parsed and the atmosphere tables are built once, before timing.
#include <benchmark/benchmark.h>

#include "ascent/ascent.h"
#include "report/report_writer.h"
#include "report/streams.h"
#include "support/thrust_curve.h"

namespace {

using namespace ascent;

constexpr double turnTime_s = 10;
constexpr double limit_deg = 3;

const ThrustHistory& history() {
  static const ThrustHistory parsed =
      ThrustHistory::fromText(testing::thrustFile(testing::thrustCurve()));
  return parsed;
}

void flyMissions(benchmark::State& state, MissionObserver* observer) {
  RunRecord run;
  // An abandoned mission would leave no summary: the figure would mislead.
  if (flyMission(history(), turnTime_s, limit_deg, run, observer).outcome != Outcome::Orbit) {
    state.SkipWithError("the mission did not reach orbit");
    return;
  }
  for (auto _ : state) {
    MissionResult result = flyMission(history(), turnTime_s, limit_deg, run, observer);
    benchmark::DoNotOptimize(result.perigee_m);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel("items = missions");
}

void BM_MissionNoOutput(benchmark::State& state) {
  flyMissions(state, nullptr);
}

void BM_MissionOnScreen(benchmark::State& state) {
  NullOutStream screen;
  ReportWriter writer(screen, DataFiles{}, ReportSettings{false, consoleSigns()});
  flyMissions(state, &writer);
}

void BM_MissionWithReportFile(benchmark::State& state) {
  NullOutStream report, speed, height, accel, dynpres;
  ReportWriter writer(report, DataFiles{&speed, &height, &accel, &dynpres},
                      ReportSettings{true, fileSigns()});
  flyMissions(state, &writer);
}

}  // namespace

BENCHMARK(BM_MissionNoOutput)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MissionOnScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MissionWithReportFile)->Unit(benchmark::kMicrosecond);

// The design commands in process: `ascent target` at one turn time and
// `ascent sweep --turn-time 5:40:1` on one and two threads, on the shipped
// thrust file, output to memory. The sweep's figure in the README.
#include <benchmark/benchmark.h>

#include <sstream>

#include "app/design_commands.h"
#include "ascent/grammar.h"
#include "ascent/target.h"

namespace {

using namespace ascent;

const std::string thrustFile = ASCENT_SHIPPED_DATA_DIR "/s1.dat";

void targetOneTurnTime(benchmark::State& state) {
  const ThrustHistory history = ThrustHistory::fromFile(thrustFile);
  std::size_t missions = 0;
  for (auto _ : state) {
    const TargetRun target = targetTurnTime(history, Vehicle::defaults(), 18, SearchSettings{});
    missions += target.missions.size();
    benchmark::DoNotOptimize(target.search.best);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(missions));
  state.SetLabel("items = missions");
}
BENCHMARK(targetOneTurnTime)->Unit(benchmark::kMillisecond);

void sweepFiveToForty(benchmark::State& state) {
  SweepCommand sweep;
  sweep.thrust = {thrustFile, true};
  sweep.settings.turnTimes = turnTimeRange("5:40:1");
  sweep.jobs = static_cast<unsigned>(state.range(0));
  for (auto _ : state) {
    std::ostringstream out, err;
    runSweepCommand(sweep, out, err);
    benchmark::DoNotOptimize(out.str().size());
  }
  state.SetLabel("36 turn times");
}
BENCHMARK(sweepFiveToForty)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

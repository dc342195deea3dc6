// Cost of one mission step in each steering mode (0 along the reference,
// 1 vertical law, 2 vacuum): the integration step with the mission's
// bookkeeping (load path, peaks, osculating orbit, checks), alone, with its
// table row written by the report to a discarding stream, and with the row
// and the four data-file lines; and of the row writer alone on the numbers
// of that mode's first row. The row's own cost is the difference.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "mission/mission.h"
#include "mission/mission_context.h"
#include "mission/mission_step.h"
#include "report/report_writer.h"
#include "report/streams.h"
#include "report/table.h"

namespace {

using namespace ascent;

// The steps alternate forward and back, and the state is restored every so
// often, so the vehicle stays near 30 km for any number of iterations.
constexpr int restoreInterval = 1024;

enum class Output { None, Row, RowAndDataLines };

// Keeps the row of the step it watched.
class FirstRow final : public MissionObserver {
 public:
  void step(const StepRow& row) override { this->row = row; }
  StepRow row{};
};

// A vehicle at 30 km climbing at 1.6 km/s with the core stage burning, after
// one arming step (which also computes the vertical law's gain in mode 1).
struct Bench {
  NullOutStream report, speed, height, accel, dynpres;
  ReportWriter writer;
  FlightState s;
  RunRecord run;
  Mission m{s, sharedAtmosphereTables(), run, nullptr};
  StepRow firstRow{};

  Bench(SteeringMode mode, Output output)
      : writer(report, DataFiles{&speed, &height, &accel, &dynpres},
               ReportSettings{output == Output::RowAndDataLines, fileSigns()}) {
    s.t = 100;
    s.dt = 0.1;
    s.vx = 1500;
    s.h0 = 30000;
    s.vy = 600;
    s.r0 = 40000;
    s.Me = 2.0e5;
    s.m0 = 2.0e5;
    s.mdot = -2000;
    s.thrust = 9.0e6;
    s.exitArea = 16.68220083888478;
    s.refArea = 60;
    s.surfaceSpeed = 408.0;
    s.forceMass = 1.0e5;
    s.forceArea = 20;
    s.steeringMode = mode;
    s.followAirPath = true;
    s.alpha = 0.1;
    s.alphaMax = 0.5;
    s.lawExponent = 0.5;
    s.lawInitPending = true;
    FirstRow first;
    m.observer = &first;
    step(m);
    firstRow = first.row;
    m.observer = output == Output::None ? nullptr : &writer;
  }
};

void runSteps(benchmark::State& state, Output output) {
  Bench bench(static_cast<SteeringMode>(state.range(0)), output);
  FlightState& s = bench.s;
  const FlightState start = s;
  int sinceRestore = 0;
  for (auto _ : state) {
    step(bench.m);
    s.dt = -s.dt;
    if (++sinceRestore == restoreInterval) {
      s = start;
      sinceRestore = 0;
    }
  }
  benchmark::DoNotOptimize(s.vx);
}

void BM_Step(benchmark::State& state) {
  runSteps(state, Output::None);
}
void BM_StepWithRow(benchmark::State& state) {
  runSteps(state, Output::Row);
}
void BM_StepWithRowAndDataLines(benchmark::State& state) {
  runSteps(state, Output::RowAndDataLines);
}

// The row writer alone, on the numbers of the first row of that mode; the
// time alternates as the steps' does.
void runRow(benchmark::State& state, bool dataLines) {
  Bench bench(static_cast<SteeringMode>(state.range(0)), Output::None);
  NullOutStream report, speed, height, accel, dynpres;
  const DataFiles files{&speed, &height, &accel, &dynpres};
  StepRow row = bench.firstRow;
  const double later = row.t_s - 0.1;
  std::string line;
  for (auto _ : state) {
    if (dataLines) {
      writeRowAndDataLines(report, files, row);
    } else {
      writeTableRow(report, row);
    }
    row.t_s = row.t_s == later ? later + 0.1 : later;
  }
}

void BM_TableRow(benchmark::State& state) {
  runRow(state, false);
}
void BM_TableRowWithDataLines(benchmark::State& state) {
  runRow(state, true);
}

}  // namespace

BENCHMARK(BM_Step)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_StepWithRow)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_StepWithRowAndDataLines)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_TableRow)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_TableRowWithDataLines)->ArgName("mode")->DenseRange(0, 2);

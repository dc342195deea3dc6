// Cost of one integration step in each steering mode (0 along the reference,
// 1 vertical law, 2 vacuum), its table row formatted into a discarding stream,
// and of the row writer alone with the numbers of that mode's rows: the step
// without its row is the difference of the two.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "report/table.h"
#include "physics/constants.h"
#include "physics/integration_step.h"

namespace {

using namespace ascent;

// The steps alternate forward and back, and the state is restored every so
// often, so the vehicle stays near 30 km for any number of iterations.
constexpr int restoreInterval = 1024;

struct Bench {
  NullOutStream out;
  StringInStream noInput{""};
  MemoryFileSystem files;
  RunContext run{noInput, out, files};
  std::string firstRow;  // the row of the arming step, as printed

  Bench(SteeringMode mode, bool dataFiles) {
    run.report = run.console = &out;
    for (auto* file : {&run.speedFile, &run.heightFile, &run.accelFile, &run.dynpresFile}) {
      *file = std::make_unique<NullOutStream>();
    }
    initAtmosphere(run.atmosphereTables);
    FlightState& s = run.state;
    s.dataFiles = dataFiles;
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
    StringOutStream capture(firstRow);
    run.report = &capture;
    integrateStep(run);  // also arms the law in mode 1
    run.report = &out;
  }
};

void runSteps(benchmark::State& state, bool dataFiles) {
  Bench bench(static_cast<SteeringMode>(state.range(0)), dataFiles);
  FlightState& s = bench.run.state;
  const FlightState start = s;
  int sinceRestore = 0;
  for (auto _ : state) {
    integrateStep(bench.run);
    s.dt = -s.dt;
    if (++sinceRestore == restoreInterval) {
      s = start;
      sinceRestore = 0;
    }
  }
  benchmark::DoNotOptimize(s.vx);
}

void BM_IntegrationStep(benchmark::State& state) {
  runSteps(state, false);
}
void BM_IntegrationStepWithDataFiles(benchmark::State& state) {
  runSteps(state, true);
}

// The row writer alone, with the numbers of the first row of that mode.
void runRow(benchmark::State& state, bool dataFiles) {
  Bench bench(static_cast<SteeringMode>(state.range(0)), dataFiles);
  double t, a, vi, h0, r0, alpha, beta, theta, Pq, mass;
  if (std::sscanf(bench.firstRow.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf", &t, &a, &vi,
                  &h0, &r0, &alpha, &beta, &theta, &Pq, &mass) != 10) {
    state.SkipWithError("unreadable row");
    return;
  }
  constexpr double radiansPerDegree = pi / 180;
  alpha *= radiansPerDegree;
  beta *= radiansPerDegree;
  theta *= radiansPerDegree;
  const double later = t - 0.1;  // the steps alternate between two times
  for (auto _ : state) {
    writeTableRow(bench.run, t, a, vi, h0, r0, alpha, beta, theta, Pq, mass);
    writeDataLines(bench.run, t, vi, h0, a, Pq);
    t = t == later ? later + 0.1 : later;
  }
}

void BM_TableRow(benchmark::State& state) {
  runRow(state, false);
}
void BM_TableRowWithDataFiles(benchmark::State& state) {
  runRow(state, true);
}

}  // namespace

BENCHMARK(BM_IntegrationStep)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_IntegrationStepWithDataFiles)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_TableRow)->ArgName("mode")->DenseRange(0, 2);
BENCHMARK(BM_TableRowWithDataFiles)->ArgName("mode")->DenseRange(0, 2);

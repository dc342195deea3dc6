// Cost of one atmosphere evaluation in each branch (the layers below 86 km,
// the splined tables above) and of one drag coefficient.
#include <benchmark/benchmark.h>

#include "mission/mission.h"
#include "physics/drag.h"
#include "physics/standard_atmosphere.h"

namespace {

// Altitudes sweep [low, low + span) in small steps, so every call takes a new input.
void benchAtmosphere(benchmark::State& state, double low, double span) {
  const ascent::AtmosphereTables& t = ascent::sharedAtmosphereTables();
  const double step = span / 4096.0;
  double offset = 0.0;
  for (auto _ : state) {
    double pressure, density, speedOfSound;
    ascent::atmosphere(t, low + offset, pressure, density, speedOfSound);
    benchmark::DoNotOptimize(pressure);
    benchmark::DoNotOptimize(density);
    benchmark::DoNotOptimize(speedOfSound);
    offset += step;
    if (offset >= span) offset = 0.0;
  }
}

void BM_AtmosphereLayers(benchmark::State& state) {
  benchAtmosphere(state, 0.0, 85000.0);
}
void BM_AtmosphereTables(benchmark::State& state) {
  benchAtmosphere(state, 90000.0, 900000.0);
}

void BM_DragCoefficient(benchmark::State& state) {
  double mach = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ascent::dragCoefficient(ascent::standardDragModel(), mach));
    mach += 0.0013;
    if (mach >= 6.0) mach = 0.0;
  }
}

}  // namespace

BENCHMARK(BM_AtmosphereLayers);
BENCHMARK(BM_AtmosphereTables);
BENCHMARK(BM_DragCoefficient);

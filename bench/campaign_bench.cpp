// A dispersion campaign in process: the shipped example campaign
// (data/dispersions.toml) flown at turn time 18 s and limit 24.06 deg on one
// and two threads, every row formatted as its CSV line and added to the
// summary, as `ascent dispersions` does. The campaign's figures in the README.
#include <benchmark/benchmark.h>

#include "ascent/campaign.h"
#include "files/campaign_store.h"

namespace {

using namespace ascent;

void campaignOfExample(benchmark::State& state) {
  const ThrustHistory history = ThrustHistory::fromFile(ASCENT_SHIPPED_DATA_DIR "/s1.dat");
  const DispersionFile file =
      readDispersionFile(ASCENT_SHIPPED_DATA_DIR "/dispersions.toml", Vehicle::defaults());
  const Sampler sampler(Vehicle::defaults(), file.dispersions, file.correlations);
  CampaignSettings settings;
  settings.turnTime_s = 18;
  settings.limit_deg = 24.06;
  settings.endRun = 2000;
  settings.jobs = static_cast<unsigned>(state.range(0));
  const CampaignRowSchema schema(file.dispersions);
  std::size_t runs = 0;
  for (auto _ : state) {
    SummaryBuilder summary;
    std::size_t bytes = 0;
    runs += runCampaign(history, sampler, settings, [&](const CampaignRow& row) {
      bytes += campaignCsvLine(schema, row).size();
      summary.add(row);
    });
    benchmark::DoNotOptimize(summary.finish().runs + bytes);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(runs));
  state.SetLabel("2000 runs; items = runs");
}
BENCHMARK(campaignOfExample)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("jobs")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

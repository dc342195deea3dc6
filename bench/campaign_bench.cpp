// A dispersion campaign in process: the shipped example campaign
// (data/dispersions.toml) flown at turn time 18 s and limit 24.06 deg on one
// and two threads, every row formatted as its CSV line and added to the
// summary, as `ascent dispersions` does. The campaign's figures in the README.
#include <benchmark/benchmark.h>

#include "ascent/campaign.h"
#include "ascent/campaign_store.h"
#include "ascent/files.h"

namespace {

using namespace ascent;

void campaignOfExample(benchmark::State& state) {
  const ThrustHistory history = ThrustHistory::fromFile(ASCENT_SHIPPED_DATA_DIR "/s1.dat");
  const DispersionFile file =
      readDispersionFile(ASCENT_SHIPPED_DATA_DIR "/dispersions.toml", Vehicle::defaults());
  CampaignSettings settings;
  settings.turnTime_s = 18;
  settings.limit_deg = 24.06;
  settings.endRun = 2000;
  const CampaignRowSchema schema(file.dispersions);
  struct Lines final : CampaignObserver {
    explicit Lines(const CampaignRowSchema& schema) : schema(schema) {}
    void row(const CampaignRow& row) override { bytes += campaignCsvLine(schema, row).size(); }
    const CampaignRowSchema& schema;
    std::size_t bytes = 0;
  };
  std::size_t runs = 0;
  for (auto _ : state) {
    Lines lines(schema);
    const CampaignResult result =
        runCampaign({{history, Vehicle::defaults(), ""}, file}, settings,
                    static_cast<unsigned>(state.range(0)), lines, temporaryFileSpill());
    runs += result.flown;
    benchmark::DoNotOptimize(result.summary.runs + lines.bytes);
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

// A campaign's CSV read back whole, for the rank correlations of its runs,
// and the merge of a sensitivity study's shards (ascent/campaign_store.h).
#include "ascent/campaign_store.h"
#include "ascent/errors.h"
#include "files/campaign_csv.h"

namespace ascent {

CampaignRead readCampaign(const std::string& csvPath, const CampaignRowSink& onRow,
                          const SamplerOf& samplerOf) {
  CampaignRead read{manifestOfCsv(csvPath), {}};
  const Sampler sampler = samplerOf(read.manifest, csvPath);
  for (const Dispersion& d : sampler.dispersions()) read.keys.push_back(d.key);
  std::uint64_t next = read.manifest.firstRun;
  readCampaignCsv(
      csvPath, read.manifest, sampler, read.manifest.firstRun, false,
      [&](const CampaignRow& row, std::string_view) {
        if (row.run >= read.manifest.endRun) {
          throw InputError({csvPath + ": run " + std::to_string(row.run) + " is outside its runs"});
        }
        onRow(row);
        next = row.run + 1;
      });
  // The rows of a campaign cut short are what it flew: say how many.
  read.manifest.endRun = next;
  return read;
}

SensitivityResult mergeSensitivity(const std::vector<std::string>& shardPaths,
                                   const std::string& outPath, const SensitivitySettings& settings,
                                   const CampaignRowSink& onRow, const SamplerOf& samplerOf) {
  refuseNoShards(shardPaths);
  const CampaignManifest first = manifestOfCsv(shardPaths.front());
  if (first.designRows == 0) {
    throw InputError({shardPaths.front() + ": holds a campaign's runs, not a sensitivity study's "
                                           "(merge it with ascent dispersions --merge)"});
  }
  SensitivitySettings judged = settings;
  // The design and its campaign are the manifest's; the judging is the caller's.
  judged.rows = first.designRows;
  judged.campaign.turnTime_s = first.turnTime_s;
  refuseSetting(settingsProblem(judged));
  SensitivityColumns columns;
  const double reserve_kg = settings.campaign.minRemainingPropellant_kg;
  const MergedCampaign merged = mergeCampaign(
      shardPaths, outPath,
      [&](const CampaignRow& row) {
        columns.add(row, reserve_kg);
        onRow(row);
      },
      samplerOf);
  const Sampler sampler = samplerOf(merged.manifest, shardPaths.front());
  SensitivityResult result;
  result.factors = sensitivityFactors(sampler.dispersions(), sampler.correlations());
  result.manifest = merged.manifest;
  result.rows = merged.manifest.designRows;
  result.resamples = settings.resamples;
  result.flown = merged.manifest.endRun - merged.manifest.firstRun;
  if (merged.manifest.firstRun == 0 &&
      merged.manifest.endRun == result.rows * (result.factors.size() + 2)) {
    estimateIndices(result, columns, merged.manifest.seed);
  }
  return result;
}

}  // namespace ascent

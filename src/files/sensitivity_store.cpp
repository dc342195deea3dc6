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

namespace {

// The settings a sensitivity study's rows are judged by: the design and its
// campaign are the manifest's, the judging the caller's.
void refuseJudging(const CampaignManifest& manifest, const std::string& path,
                   const SensitivitySettings& settings) {
  if (manifest.designRows == 0) {
    throw InputError({path + ": holds a campaign's runs, not a sensitivity study's "
                             "(merge it with ascent dispersions --merge)"});
  }
  SensitivitySettings judged = settings;
  judged.rows = manifest.designRows;
  judged.campaign.turnTime_s = manifest.turnTime_s;
  refuseSetting(settingsProblem(judged));
}

// The indices of the runs of `manifest`, estimated when they are the whole design.
SensitivityResult indicesOf(const CampaignManifest& manifest, const Sampler& sampler,
                            const SensitivityColumns& columns, std::size_t resamples) {
  SensitivityResult result;
  result.factors = sensitivityFactors(sampler.dispersions(), sampler.correlations());
  result.manifest = manifest;
  result.rows = manifest.designRows;
  result.resamples = resamples;
  result.flown = manifest.endRun - manifest.firstRun;
  if (manifest.firstRun == 0 && manifest.endRun == result.rows * (result.factors.size() + 2)) {
    estimateIndices(result, columns, manifest.seed);
  }
  return result;
}

}  // namespace

SensitivityResult mergeSensitivity(const std::vector<std::string>& shardPaths,
                                   const std::string& outPath, const SensitivitySettings& settings,
                                   const CampaignRowSink& onRow, const SamplerOf& samplerOf) {
  refuseNoShards(shardPaths);
  refuseJudging(manifestOfCsv(shardPaths.front()), shardPaths.front(), settings);
  SensitivityColumns columns;
  const double reserve_kg = settings.campaign.minRemainingPropellant_kg;
  const MergedCampaign merged = mergeCampaign(
      shardPaths, outPath,
      [&](const CampaignRow& row) {
        columns.add(row, reserve_kg);
        onRow(row);
      },
      samplerOf, judgingOf(settings.campaign));
  return indicesOf(merged.manifest, samplerOf(merged.manifest, shardPaths.front()), columns,
                   settings.resamples);
}

SensitivityResult readSensitivity(const std::string& csvPath, const SensitivitySettings& settings,
                                  const CampaignRowSink& onRow, const SamplerOf& samplerOf) {
  refuseJudging(readManifest(manifestPathFor(csvPath)), csvPath, settings);
  SensitivityColumns columns;
  const double reserve_kg = settings.campaign.minRemainingPropellant_kg;
  const CampaignRead read = readCampaign(
      csvPath,
      [&](const CampaignRow& row) {
        columns.add(row, reserve_kg);
        onRow(row);
      },
      samplerOf);
  return indicesOf(read.manifest, samplerOf(read.manifest, csvPath), columns, settings.resamples);
}

}  // namespace ascent

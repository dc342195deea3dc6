// How the campaign store reads a CSV back: row by row as it streams by,
// each row's drawn values drawn again and compared; and the CSV with its
// manifest among a command's files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/campaign.h"
#include "files/output_set.h"

namespace ascent {

// Reads a campaign CSV: the header, then rows with consecutive run indices
// from `firstRun`, each drawn again and compared with the values it holds.
// With `dropCutShort` a last line without its end is a row cut short and is
// left out; any other line that is not a row of this campaign is an input
// error.
void readCampaignCsv(const std::string& path, const CampaignManifest& manifest,
                     const Sampler& sampler, std::uint64_t firstRun, bool dropCutShort,
                     const std::function<void(const CampaignRow&, std::string_view)>& onRow);

// The manifest beside a campaign's CSV `csvPath`, read once the CSV is
// found: a CSV that is not there is the Error (the system's number, naming
// the CSV), as the user named it, not the manifest they did not name.
CampaignManifest manifestOfCsv(const std::string& csvPath);

// InputError when a merge names no shard.
void refuseNoShards(const std::vector<std::string>& shardPaths);

// A campaign's CSV and its manifest as outputs of `files`, in the words of
// every door: the manifest replaces its name (a link planted there leads
// nowhere), since the program chose it.
void addCampaignCsv(OutputSet& files, const std::string& csvPath);
// A merge's shards and their manifests as inputs of `files`, the merged CSV
// `outPath` and its manifest as outputs, in the words of every door.
void addMergeFiles(OutputSet& files, const std::vector<std::string>& shardPaths,
                   const std::string& outPath);

}  // namespace ascent

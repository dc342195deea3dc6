// The store of a dispersion campaign (ascent/campaign_store.h): its writer,
// resume and merge.
#include "ascent/campaign_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "ascent/errors.h"
#include "files/campaign_csv.h"
#include "files/output_set.h"

namespace ascent {

CampaignWriter::CampaignWriter(const std::string& csvPath, std::string_view header)
    : csv_(csvPath) {
  if (!csv_.writtenInPlace()) manifest_.emplace(manifestPathFor(csvPath), Placement::replacingName);
  write(header);
}

void CampaignWriter::flush() {
  csv_.write(pending_);
  pending_.clear();
}

void CampaignWriter::commit(const CampaignManifest& manifest) {
  flush();
  if (manifest_) manifest_->write(manifestToml(manifest));
  csv_.commit();
  if (manifest_) manifest_->commit();
}

CampaignManifest manifestOfCsv(const std::string& csvPath) {
  struct stat info {};
  if (::stat(csvPath.c_str(), &info) != 0) throwSystemError(errno, "cannot open", csvPath);
  return readManifest(manifestPathFor(csvPath));
}

void refuseNoShards(const std::vector<std::string>& shardPaths) {
  if (shardPaths.empty()) throw InputError({"no shard to merge: name the shards' CSV files"});
}

void addCampaignCsv(OutputSet& files, const std::string& csvPath) {
  files.output(csvPath, "the CSV file");
  files.output(manifestPathFor(csvPath), "the manifest", Placement::replacingName);
}

void refuseCampaignCsvClashes(const std::string& csvPath, const std::vector<NamedFile>& inputs) {
  OutputSet files;
  for (const NamedFile& input : inputs) files.input(input.name, input.role);
  addCampaignCsv(files, csvPath);
  if (const std::string clash = files.clash(); !clash.empty()) throw InputError({clash});
}

std::unique_ptr<CampaignWriter> openCampaignCsv(const std::string& csvPath, std::string_view header,
                                                const std::vector<NamedFile>& inputs) {
  refuseCampaignCsvClashes(csvPath, inputs);
  return std::make_unique<CampaignWriter>(csvPath, header);
}

std::vector<NamedFile> shardFiles(const std::vector<std::string>& shardPaths) {
  std::vector<NamedFile> files;
  for (const std::string& path : shardPaths) {
    files.push_back({path, "the shard"});
    files.push_back({manifestPathFor(path), "the shard's manifest"});
  }
  return files;
}

void addMergeFiles(OutputSet& files, const std::vector<std::string>& shardPaths,
                   const std::string& outPath) {
  for (const NamedFile& shard : shardFiles(shardPaths)) files.input(shard.name, shard.role);
  files.output(outPath, "the merged CSV file");
  files.output(manifestPathFor(outPath), "the merged manifest", Placement::replacingName);
}

void refuseMergeClashes(const std::vector<std::string>& shardPaths, const std::string& outPath) {
  OutputSet files;
  addMergeFiles(files, shardPaths, outPath);
  if (const std::string clash = files.clash(); !clash.empty()) throw InputError({clash});
}

std::uint64_t resumeCampaign(const std::string& csvPath, const CampaignManifest& manifest,
                             const Sampler& sampler, CampaignWriter& writer,
                             const CampaignRowSink& onRow) {
  if (!std::filesystem::exists(csvPath)) return 0;
  const std::string manifestPath = manifestPathFor(csvPath);
  if (!std::filesystem::exists(manifestPath)) {
    throw InputError({csvPath + ": has no manifest (" + manifestPath + ") to resume it by"});
  }
  const CampaignManifest before = readManifest(manifestPath);
  std::string difference = manifestDifference(before, manifest);
  if (difference.empty() &&
      (before.firstRun != manifest.firstRun || before.endRun != manifest.endRun)) {
    difference = "runs";
  }
  if (!difference.empty()) {
    throw InputError({csvPath + ": belongs to another campaign (its manifest " + manifestPath +
                      " differs in the " + difference + ")"});
  }
  std::uint64_t done = 0;
  readCampaignCsv(csvPath, manifest, sampler, manifest.firstRun, true,
                  [&](const CampaignRow& row, std::string_view line) {
                    if (row.run >= manifest.endRun) {
                      throw InputError({csvPath + ": run " + std::to_string(row.run) +
                                        " is outside the runs of the campaign"});
                    }
                    writer.write(line);
                    writer.write("\n");
                    onRow(row);
                    ++done;
                  });
  return done;
}

MergedCampaign mergeCampaign(const std::vector<std::string>& shardPaths, const std::string& outPath,
                             const CampaignRowSink& onRow, const SamplerOf& samplerOf,
                             const std::optional<CampaignJudging>& judging) {
  struct Shard {
    std::string path;
    CampaignManifest manifest;
  };
  refuseNoShards(shardPaths);
  std::vector<Shard> shards;
  for (const std::string& path : shardPaths) {
    shards.push_back({path, manifestOfCsv(path)});
    const std::string difference =
        manifestDifference(shards.front().manifest, shards.back().manifest);
    if (!difference.empty()) {
      throw InputError({path + ": belongs to another campaign than " + shards.front().path +
                        " (their manifests differ in the " + difference + ")"});
    }
  }
  std::stable_sort(shards.begin(), shards.end(), [](const Shard& a, const Shard& b) {
    return a.manifest.firstRun < b.manifest.firstRun;
  });
  for (std::size_t i = 1; i < shards.size(); ++i) {
    const CampaignManifest &before = shards[i - 1].manifest, &after = shards[i].manifest;
    if (after.firstRun < before.endRun) {
      throw InputError({shards[i].path + ": runs " + std::to_string(after.firstRun) + ":" +
                        std::to_string(std::min(before.endRun, after.endRun)) + " are also in " +
                        shards[i - 1].path});
    }
    if (after.firstRun > before.endRun) {
      throw InputError({"runs " + std::to_string(before.endRun) + ":" +
                        std::to_string(after.firstRun) + " are in no shard"});
    }
  }
  MergedCampaign merged{shards.front().manifest, shards.size()};
  merged.manifest.endRun = shards.back().manifest.endRun;
  if (judging) merged.manifest.judging = judging;

  const Sampler sampler = samplerOf(shards.front().manifest, shards.front().path);
  CampaignWriter writer(outPath, merged.manifest.columns + '\n');
  for (const Shard& shard : shards) {
    std::uint64_t next = shard.manifest.firstRun;
    readCampaignCsv(shard.path, merged.manifest, sampler, shard.manifest.firstRun, false,
                    [&](const CampaignRow& row, std::string_view line) {
                      if (row.run >= shard.manifest.endRun) {
                        throw InputError({shard.path + ": run " + std::to_string(row.run) +
                                          " is outside its runs"});
                      }
                      writer.write(line);
                      writer.write("\n");
                      onRow(row);
                      next = row.run + 1;
                    });
    if (next != shard.manifest.endRun) {
      throw InputError({shard.path + ": holds runs " + std::to_string(shard.manifest.firstRun) +
                        ":" + std::to_string(next) + " of " +
                        std::to_string(shard.manifest.firstRun) + ":" +
                        std::to_string(shard.manifest.endRun) +
                        " (an interrupted shard: finish it with --resume)"});
    }
  }
  writer.commit(merged.manifest);
  return merged;
}

}  // namespace ascent

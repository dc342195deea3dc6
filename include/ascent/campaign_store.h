// The store of a dispersion campaign: its rows as a CSV file (the columns of
// CampaignRowSchema, one line per run in run order, numbers in their
// shortest exact form so that a row read back is the row written) and
// beside it the manifest, the identity of the campaign the rows belong to.
// A campaign cut short is taken up again from its rows (resume); the CSV
// files of a campaign's shards are joined into one (merge). Neither trusts a
// row it has not drawn again: a run's drawn values depend on the seed, the
// run and the key alone, so every row kept is drawn anew and compared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/dispersion.h"
#include "ascent/sensitivity.h"
#include "ascent/writers.h"

namespace ascent {

// "campaign.csv" -> "campaign.manifest.toml".
std::string manifestPathFor(const std::string& csvPath);
std::string manifestToml(const CampaignManifest& manifest);
// Throws Error when the file cannot be read, InputError when it is not a manifest.
CampaignManifest readManifest(const std::string& path);
// The first field in which two manifests describe different campaigns (the
// file names and the runs aside); empty when they are one campaign.
std::string manifestDifference(const CampaignManifest& a, const CampaignManifest& b);

// A row as its CSV line, with its end. Line ends in a reason become spaces
// (the rows are read back line by line); a drawn value that overflowed is
// written "inf", as it reads back.
std::string campaignCsvLine(const CampaignRowSchema& schema, const CampaignRow& row);
// One line (without its end) back into a row; false with a reason when it is
// not a row of `keyCount` keys.
bool parseCampaignCsvRow(std::string_view line, std::size_t keyCount, CampaignRow& row,
                         std::string& reason, bool design = false);

// A campaign's CSV and its manifest, each written through a temporary file
// created before any run and renamed into place together, the CSV first: a
// program stopped between the two renames leaves the new rows beside the old
// manifest or none, which a resume refuses, never a new manifest beside rows
// of another campaign. Rows go out in blocks rather than a system call per
// run. A CSV that is not a regular file (a FIFO, a device) cannot be resumed
// and gets no manifest.
class CampaignWriter {
 public:
  // Creates both temporary files and writes the header.
  CampaignWriter(const std::string& csvPath, std::string_view header);
  void write(std::string_view text) {
    pending_ += text;
    if (pending_.size() >= blockBytes) flush();
  }
  // Renames the CSV, then the manifest, into place.
  void commit(const CampaignManifest& manifest);

 private:
  static constexpr std::size_t blockBytes = std::size_t{1} << 16;
  void flush();
  OutputFile csv_;
  std::optional<OutputFile> manifest_;
  std::string pending_;
};

// A file a command or the module reads, as a refusal names it:
// {"d.toml", "the dispersion file"}.
struct NamedFile {
  std::string name, role;
};

// A campaign's CSV `csvPath` and its manifest opened for writing, once
// neither is one of `inputs` nor the other: InputError naming the first
// clash ("the CSV file d.toml is the dispersion file d.toml") with nothing
// created. The rule the command line follows for the same two files.
std::unique_ptr<CampaignWriter> openCampaignCsv(const std::string& csvPath, std::string_view header,
                                                const std::vector<NamedFile>& inputs);
// The same check alone, for a store that creates its own writer (a merge).
void refuseCampaignCsvClashes(const std::string& csvPath, const std::vector<NamedFile>& inputs);
// The shards of a merge and their manifests, as inputs.
std::vector<NamedFile> shardFiles(const std::vector<std::string>& shardPaths);
// InputError, with nothing created, when the merged CSV `outPath` or its
// manifest would be a shard, a shard's manifest or the other: the check the
// command line makes of the same files.
void refuseMergeClashes(const std::vector<std::string>& shardPaths, const std::string& outPath);

using CampaignRowSink = std::function<void(const CampaignRow& row)>;

// Why `row` is not a row that `sampler` draws from `seed`: "run 5:
// core.thrust_N = 9100000 is not the value the campaign's seed 3 draws
// (9148858.088578522)"; empty when each of its drawn values is the
// campaign's own. `drawn` is room for the draws.
std::string drawnValuesProblem(const CampaignRow& row, const Sampler& sampler, std::uint64_t seed,
                               std::vector<double>& drawn);

// Takes up the rows of an earlier run of the campaign of `manifest` from its
// CSV `csvPath`, when there is one, into `writer` (header written), passing
// each to `onRow`; a last row cut short is left out to be flown again.
// Returns the rows taken up. Throws InputError for a CSV without its
// manifest, of another campaign or other runs, with a line that is not the
// next row, or with a row whose drawn values `sampler` does not draw; Error
// (EFBIG) for a line longer than a row can be.
std::uint64_t resumeCampaign(const std::string& csvPath, const CampaignManifest& manifest,
                             const Sampler& sampler, CampaignWriter& writer,
                             const CampaignRowSink& onRow);

// The Sampler that drew the rows of the campaign of `manifest`: its
// dispersion file and vehicle file (none: the default vehicle) read again,
// each by the name the manifest holds, from the current directory or else
// from the folder of its CSV `csvPath`, and refused (InputError) unless its
// hash is the manifest's. Throws Error when a file cannot be read.
Sampler campaignSampler(const CampaignManifest& manifest, const std::string& csvPath);
// The same with the nominal vehicle `nominal` in place of the manifest's
// vehicle file: a campaign flown on a vehicle built in a program, which no
// file holds (refused unless its hash is the manifest's).
Sampler campaignSamplerOn(const CampaignManifest& manifest, const std::string& csvPath,
                          const Vehicle& nominal);
using SamplerOf = std::function<Sampler(const CampaignManifest&, const std::string& csvPath)>;

// The shards of a campaign joined into one CSV.
struct MergedCampaign {
  CampaignManifest manifest;  // the first shard's, with all the runs
  std::size_t shards = 0;
};
// Writes the rows of the shards' CSV files (each with its manifest beside
// it) in run order into `outPath` and its manifest, passing each to `onRow`.
// Throws InputError, before any file is created, for no shard, shards of
// different campaigns, runs in two shards or in none; and, with nothing
// written, for a shard whose rows are not its runs (an interrupted shard) or
// hold values that the campaign's sampler (`samplerOf` the first shard) does
// not draw. The merged manifest records `judging`, the merge's, when given.
MergedCampaign mergeCampaign(const std::vector<std::string>& shardPaths, const std::string& outPath,
                             const CampaignRowSink& onRow,
                             const SamplerOf& samplerOf = campaignSampler,
                             const std::optional<CampaignJudging>& judging = std::nullopt);

// The rows of a campaign's CSV (a sensitivity study's too), its manifest
// beside it, each row's values drawn again by `samplerOf` and compared, in
// run order to `onRow`. Returns the manifest and, in the CSV's order, the
// keys. Throws as a merge does: a CSV that is not there is named, not its
// manifest.
struct CampaignRead {
  CampaignManifest manifest;
  std::vector<std::string> keys;
};
CampaignRead readCampaign(const std::string& csvPath, const CampaignRowSink& onRow,
                          const SamplerOf& samplerOf = campaignSampler);

// A sensitivity study's shards merged as mergeCampaign merges them (each
// row also to `onRow`), then its indices estimated when the runs merged are
// the whole design; `settings` give the resamples and the reserve a success
// keeps (the design and its seed are the manifest's). Throws InputError for
// shards that are not a sensitivity study's.
SensitivityResult mergeSensitivity(const std::vector<std::string>& shardPaths,
                                   const std::string& outPath, const SensitivitySettings& settings,
                                   const CampaignRowSink& onRow,
                                   const SamplerOf& samplerOf = campaignSampler);

// A sensitivity study's CSV read as readCampaign reads it (each row also to
// `onRow`), then its indices estimated as mergeSensitivity estimates them.
SensitivityResult readSensitivity(const std::string& csvPath, const SensitivitySettings& settings,
                                  const CampaignRowSink& onRow,
                                  const SamplerOf& samplerOf = campaignSampler);

// The summary's columns in unnamed temporary files, created now (Error when
// they cannot be): only one column at a time is held in memory, however
// many runs a campaign has.
std::unique_ptr<ValueSpill> temporaryFileSpill(std::size_t columns = summarySpillColumns);

}  // namespace ascent

// The files of a dispersion campaign: the dispersion file (TOML) that names
// the vehicle keys to disperse (read through ascent/files.h), the campaign's
// CSV rows and its manifest.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/files.h"
#include "files/vehicle_file.h"

namespace ascent {

// 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);
// A hash of a thrust history's records (and its fault), for the manifest.
std::string thrustHistoryHash(const ThrustHistory& history);

// The CSV of a campaign: "run", every dispersed key, "outcome", "reason",
// the outputs (campaignOutputName), one row per run in run order. Numbers in
// their shortest exact form, so a row read back is the row written.
std::string campaignCsvHeader(const std::vector<Dispersion>& dispersions);
std::string campaignCsvRow(const CampaignRow& row);  // with its line end
// One line (without its end) back into a row; false with a reason when it is
// not a row of `keyCount` keys.
bool parseCampaignCsvRow(std::string_view line, std::size_t keyCount, CampaignRow& row,
                         std::string& reason);

// What identifies a campaign, written beside its CSV before the first run.
struct CampaignManifest {
  std::string program;  // "ascent 1.0.0"
  std::uint64_t seed = 0;
  std::string dispersionFile, dispersionHash;
  std::string vehicleFile, vehicleHash;  // vehicleFile empty: the default vehicle
  std::string thrustFile, thrustHash;
  std::string turnTime_s;      // numbers in their exact text
  std::string guidance;        // "limit" or "retarget"
  std::string limitDeg;        // limit: the limit every run flies
  std::string target;          // retarget: altitude, tolerance, budget, first guess
  std::string columns;         // the CSV header
  std::uint64_t firstRun = 0;  // the runs of this file: firstRun <= i < endRun
  std::uint64_t endRun = 0;
};

// "campaign.csv" -> "campaign.manifest.toml".
std::string manifestPathFor(const std::string& csvPath);
std::string manifestToml(const CampaignManifest& manifest);
// Throws Error when the file cannot be read, InputError when it is not a manifest.
CampaignManifest readManifest(const std::string& path);
// The first field in which two manifests describe different campaigns (the
// file names and the runs aside); empty when they are one campaign.
std::string manifestDifference(const CampaignManifest& a, const CampaignManifest& b);

}  // namespace ascent

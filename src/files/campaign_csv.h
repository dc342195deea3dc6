// How the campaign store reads a CSV back: row by row as it streams by,
// each row's drawn values drawn again and compared.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ascent/campaign.h"

namespace ascent {

// Reads a campaign CSV: the header, then rows with consecutive run indices
// from `firstRun`, each drawn again and compared with the values it holds.
// With `dropCutShort` a last line without its end is a row cut short and is
// left out; any other line that is not a row of this campaign is an input
// error.
void readCampaignCsv(const std::string& path, const CampaignManifest& manifest,
                     const Sampler& sampler, std::uint64_t firstRun, bool dropCutShort,
                     const std::function<void(const CampaignRow&, std::string_view)>& onRow);

}  // namespace ascent

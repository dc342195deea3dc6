// How a study of campaign runs flies them: the campaign itself, and a
// sensitivity study's design, whose runs draw their values another way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ascent/campaign.h"

namespace ascent {

// "altitude 200 km, tolerance 0.1 km, 25 missions, first guess 25 deg": a
// targeting guidance's search as the manifest records it.
std::string searchSettingsText(const SearchSettings& search);

// A run's row with its drawn values (and its design point), before it flies.
using RunDraw = std::function<CampaignRow(std::uint64_t run)>;
// The draw of a study's runs, given its sampler.
using DrawOf = std::function<RunDraw(const Sampler& sampler)>;

// Flies the row's drawn values as flyCampaignRun does.
CampaignRow flyDrawnRun(const ThrustHistory& history, const Sampler& sampler,
                        const CampaignSettings& settings, const CampaignLimit& limit,
                        CampaignRow row);

// runCampaign with the runs drawn by `drawOf`; a design of `designRows` > 0
// (a sensitivity study's) is in the manifest, and its rows have their
// matrix and row.
CampaignResult flyCampaign(const CampaignInputs& inputs, const CampaignSettings& settings,
                           unsigned jobs, CampaignObserver& observer,
                           std::unique_ptr<ValueSpill> spill, const DrawOf& drawOf,
                           std::uint64_t designRows);

}  // namespace ascent

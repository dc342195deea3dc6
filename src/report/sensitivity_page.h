// The review board's page of a sensitivity study (report/html_page.h): the
// question (the design and its factors), the indices of each output with
// their intervals, as a table and as bars, and where the runs came from.
// sensitivity --json is embedded.
#pragma once

#include <string>

#include "ascent/campaign.h"
#include "report/campaign_page.h"

namespace ascent {

// `indices` is sensitivityValue of the study.
std::string sensitivityPage(const Value& indices, const CampaignManifest& manifest,
                            const CampaignSource& source);

}  // namespace ascent

// A dispersion campaign's summary as text to be read, and the data of its
// charts. The summary's numbers are in the units their names carry (metres,
// kilograms, pascals), the ellipse line too; the charts show kilometres.
#pragma once

#include <string>

#include "ascent/campaign.h"

namespace ascent {

// "Dispersions: 300 runs (0:300), seed 1, ...": the campaign, its outcomes,
// the orbit probability, a table of the outputs and the one-sigma ellipse
// ("-" for the numbers and "none" for the ellipse when no run reached a
// closed orbit).
std::string campaignSummaryText(const CampaignSummary& summary, const CampaignManifest& manifest);

// The data of the campaign's charts, each as lines of numbers: perigee
// against apogee of every closed orbit (km), the 1-, 2- and 3-sigma ellipses
// (km, one block each), histograms ("centre count") of the average altitude
// (km) and of the spacecraft mass (kg) in 40 bins.
struct CampaignChartData {
  std::string points, ellipses, altitude, spacecraftMass;
};
CampaignChartData campaignChartData(SummaryBuilder& builder, const CampaignSummary& summary);

}  // namespace ascent

// The charts of a dispersion campaign (--plot DIR), drawn by gnuplot.
#pragma once

#include <string>

#include "ascent/campaign.h"
#include "files/output_set.h"

namespace ascent {

// The chart files in DIR as outputs of the set; nothing for no directory.
void addCampaignCharts(OutputSet& files, const std::string& directory);

// Draws perigee against apogee with the sigma ellipses and the target, and
// histograms of the average altitude and the spacecraft mass, into
// `directory` (created when missing).
void plotCampaign(SummaryBuilder& builder, const CampaignSummary& summary, double targetAltitude_m,
                  const std::string& directory);

}  // namespace ascent

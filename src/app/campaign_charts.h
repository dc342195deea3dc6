// The charts of a dispersion campaign (--plot DIR), drawn by gnuplot.
#pragma once

#include <memory>
#include <string>

#include "ascent/campaign.h"
#include "files/output_set.h"

namespace ascent {

// The chart files in DIR as outputs of the set, each replacing whatever is
// at its name; nothing for no directory.
void addCampaignCharts(OutputSet& files, const std::string& directory);

// The folder (created when missing) and the chart files in it, created
// before any run; none for no directory.
std::unique_ptr<OutputFolder> createCampaignCharts(const std::string& directory);

// Draws perigee against apogee with the sigma ellipses, the box of the
// orbits at the requirements' probability, the requirements on the perigee
// or the apogee and the target, and
// histograms of the average altitude and the spacecraft mass, into the
// files of `charts`.
void plotCampaign(SummaryBuilder& builder, const CampaignSummary& summary,
                  const std::vector<Requirement>& requirements, double targetAltitude_m,
                  OutputFolder& charts);

}  // namespace ascent

// A dispersion campaign's summary as text to be read, and the data of its
// charts. The summary's numbers are in the units their names carry (metres,
// kilograms, pascals), the ellipse line too; the charts show kilometres.
#pragma once

#include <string>

#include "ascent/campaign.h"

namespace ascent {

// "Dispersions: 300 runs (0:300), seed 1, ...": the campaign, its outcomes,
// the success probability, a table of the outputs over the orbits, the
// one-sigma ellipse ("-" for the numbers and "none" for the ellipse when no
// run reached orbit), the flight performance reserve and the requirements.
std::string campaignSummaryText(const CampaignSummary& summary, const CampaignManifest& manifest);

// The percent of the runs below the orbit chart's extent box, and above it.
constexpr double chartExtentPercent = 0.135;

// The data of the campaign's charts, each as lines of numbers: perigee
// against apogee of every run with a closed orbit (km), the successes and
// the runs that were not a success apart; the 1-, 2- and 3-sigma ellipses
// (km, one block each); the corners of the box of the orbits' perigee and
// apogee from their chartExtentPercent point to their 100 - chartExtentPercent
// point (km); histograms ("centre runs failures", failures the runs that were
// not a success) of the average altitude (km) and of the spacecraft mass (kg)
// in 40 bins.
struct CampaignChartData {
  std::string points, missed, ellipses, extent, altitude, spacecraftMass;
  bool closedOrbits = false;  // some run reached a closed orbit: the histograms have bars
};
CampaignChartData campaignChartData(SummaryBuilder& builder, const CampaignSummary& summary);

}  // namespace ascent

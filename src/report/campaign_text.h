// A dispersion campaign's summary as text to be read, and the data of its
// charts. The summary's numbers are in the units their names carry (metres,
// kilograms, pascals), the ellipse line too; the charts show kilometres.
#pragma once

#include <string>
#include <vector>

#include "ascent/campaign.h"

namespace ascent {

// "Dispersions: 300 runs (0:300), seed 1, ...": the campaign, its outcomes,
// the success probability, a table of the outputs over the orbits, the
// one-sigma ellipse ("-" for the numbers and "none" for the ellipse when no
// run reached orbit), the flight performance reserve and the requirements.
std::string campaignSummaryText(const CampaignSummary& summary, const CampaignManifest& manifest);

// A requirement's value drawn on the orbits' chart: a perigee bound is a
// vertical line, an apogee bound a horizontal one (km).
struct ChartedRequirement {
  std::string text;
  bool onPerigee = true;
  double value_km = 0;
};

// The data of the campaign's charts, each as lines of numbers: perigee
// against apogee of every run with a closed orbit (km), the successes and
// the runs that were not a success apart; the 1-, 2- and 3-sigma ellipses
// (km, one block each); the corners of the box of the orbits' perigee and
// apogee from their extentPercent point to their 100 - extentPercent point
// (km), the requirements' probability on each side; the requirements on the
// perigee or the apogee; histograms ("centre runs failures", failures the
// runs that were not a success) of the average altitude (km) and of the
// spacecraft mass (kg) in 40 bins.
struct CampaignChartData {
  std::string points, missed, ellipses, extent, altitude, spacecraftMass;
  double extentPercent = 0;
  std::vector<ChartedRequirement> requirements;
  bool closedOrbits = false;  // some run reached a closed orbit: the histograms have bars
};
CampaignChartData campaignChartData(SummaryBuilder& builder, const CampaignSummary& summary,
                                    const std::vector<Requirement>& requirements);

}  // namespace ascent

// A campaign of known rows, summarized under given settings.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "ascent/campaign.h"

namespace ascent::testing {

// Runs k = 1 ... 100: orbits up to 95 (perigee 100 + k km, propellant
// 10 k - 25 kg, max q 30000 - 10 k Pa), two suborbital (perigee 50 km), then
// a failure, an escape and an abandoned run.
inline CampaignSummary summaryOfKnownRuns(const CampaignSettings& settings) {
  SummaryBuilder builder(settings);
  for (int k = 1; k <= 100; ++k) {
    CampaignRow row;
    row.run = static_cast<std::uint64_t>(k);
    row.flightClass = k <= 95   ? FlightClass::Orbit
                      : k <= 97 ? FlightClass::Suborbital
                      : k == 98 ? FlightClass::Failed
                      : k == 99 ? FlightClass::Escape
                                : FlightClass::Abandoned;
    std::fill(std::begin(row.outputs), std::end(row.outputs), std::nan(""));
    if (k <= 97) {
      auto out = [&row](CampaignOutput o) -> double& {
        return row.outputs[static_cast<std::size_t>(o)];
      };
      out(CampaignOutput::Perigee) = k <= 95 ? 100e3 + 1000.0 * k : 50e3;
      out(CampaignOutput::Apogee) = 250e3;
      out(CampaignOutput::RemainingPropellant) = 10.0 * k - 25;
      out(CampaignOutput::BoosterResidual) = 0;
      out(CampaignOutput::MaxDynamicPressure) = 30000 - 10.0 * k;
    }
    builder.add(row);
  }
  return builder.finish();
}

}  // namespace ascent::testing

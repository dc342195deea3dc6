// The files a dispersion campaign is described by: the dispersion file (TOML)
// that names the vehicle keys to disperse, and the identity of a campaign
// (its manifest) taken from the files and settings it flies.
//
//   schema = 1
//   [[dispersion]]
//   key = "core.thrust_N"
//   distribution = "normal"   # normal | uniform | truncated_normal
//   sigma = 0.5               # normal, truncated_normal
//   bounds = [-1.5, 1.5]      # uniform, truncated_normal
//   relative = true           # sigma and bounds in percent of the nominal value
//   [[correlation]]
//   keys = ["core.thrust_N", "core.exhaust_velocity_mps"]
//   coefficient = 0.5
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ascent/ascent.h"
#include "ascent/campaign.h"

namespace ascent {

struct DispersionFile {
  std::string path;
  std::vector<Dispersion> dispersions;
  std::vector<Correlation> correlations;
  std::string hash;  // of the dispersions as read, in canonical form (16 hex digits)
};

// Reads and validates a dispersion file against the nominal vehicle: unknown
// keys (with the nearest known one), keys that cannot be dispersed, unknown
// distributions and fields, sigma <= 0, bounds out of order, a relative
// dispersion of a zero nominal value, correlations of keys not dispersed or
// not positive definite; every problem with FILE:LINE. Throws Error when the
// file cannot be read and InputError for its contents.
DispersionFile readDispersionFile(const std::string& path, const Vehicle& nominal);
DispersionFile parseDispersionText(std::string_view text, const std::string& name,
                                   const Vehicle& nominal);

// The identity of a campaign of `settings` (its limit settled) flown with
// these files: this program's version, the hashes of the dispersions, the
// nominal vehicle and the thrust history, the CSV's columns. `vehicleFile`
// is empty for a vehicle not read from a file.
CampaignManifest describeCampaign(const CampaignSettings& settings,
                                  const DispersionFile& dispersions, const std::string& vehicleFile,
                                  const Vehicle& nominal, const std::string& thrustFile,
                                  const ThrustHistory& history);

}  // namespace ascent

// The files of a dispersion campaign (ascent/campaign_files.h) and the
// hashes that identify its inputs.
#pragma once

#include <cstdint>
#include <string>

#include "ascent/campaign_files.h"
#include "ascent/files.h"

namespace ascent {

// 16 lower-case hex digits.
std::string hashText(std::uint64_t hash);
// A hash of a thrust history's records (and its fault), for the manifest.
std::string thrustHistoryHash(const ThrustHistory& history);

}  // namespace ascent

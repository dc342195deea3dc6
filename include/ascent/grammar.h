// The texts a user writes for a study's settings, read the same way by the
// command line and the Python module: numbers with an optional unit
// ("200km"), ranges "FROM:TO:STEP" and "FROM:TO", shards "I/N", runs "N" or
// "A:B", whole numbers of a campaign, key lists "a,b,c" and requirements
// "OUTPUT>=VALUE". Each throws InputError with the reason in the words both
// doors use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/campaign.h"
#include "ascent/sweep.h"

namespace ascent {

// A number as a user writes it: bare in the unit an option shows ("200" of
// km), or with a unit of the same dimension right after it, no blank
// between: m, km; s; deg, rad; kg, t; Pa, kPa, MPa; N, kN, MN; m/s^2, g
// (9.80665 m/s^2).
struct Quantity {
  double value = 0;   // in the program's unit: SI, deg for an angle
  double shown = 0;   // in the unit shown
  bool bare = false;  // written without a unit
};

// Reads `text` against `unit`, the unit shown ("km", "Pa", "deg"; "" for a
// pure number, which takes no unit). A unit that is a power of ten of
// another is applied to the decimal text, so "150.1km", "150100m" and a bare
// "150.1" of km are the same double. Too large for a double in the
// program's unit: +-infinity. Refused: "'x' is not a number", "'5t' is a
// mass, not a length (m or km)", "'200kms' is not a length (m or km)", and a
// bare pressure in Pa above 0 and under 1 kPa, which can only be a slip for
// kPa: every pressure the program reads is an ascent's dynamic pressure, tens
// of kPa ("28.3 Pa is below 1 kPa; did you mean 28.3kPa?").
Quantity readQuantity(std::string_view text, std::string_view unit);
// The value of readQuantity: `text` in the program's unit.
double quantityValue(std::string_view text, std::string_view unit);

// The turn times of "FROM:TO:STEP" in s ("5:40:1", "5s:40s:1s"): FROM + k *
// STEP (k = 0, 1, ...) up to TO, each computed from FROM, not accumulated, so
// every shard and thread gets the same bits, and rounded to the decimals of
// FROM and STEP (18.15, not 18.150000000000002). Refused: not three numbers,
// STEP <= 0 or FROM > TO, a turn time outside 1 to 10000 s, more than
// highestSweepTurnTimes, a step too small to tell two turn times apart.
std::vector<double> turnTimeRange(std::string_view text);

// The altitudes of "FROM:TO:STEP" in km ("150:225:5", "150km:225km:5000m"),
// as m, the same way, rounded to the decimals typed; refused also
// for an altitude outside the target altitude's domain or more than
// highestPerformanceAltitudes.
std::vector<double> altitudeRange(std::string_view text);

// The turn times "FROM:TO" in s ("5:120", "5s:120s"); refused when the text
// is not two numbers.
void turnTimeSpan(std::string_view text, double& from_s, double& to_s);

// "I/N" with 1 <= I <= N <= highestSweepTurnTimes, decimal digits only.
Shard parseShard(std::string_view text);

// A whole number of a campaign (`what`: "the seed", "the run") from its
// decimal digits, 0 to 2^64 - 1, nothing clamped or wrapped: "'0x10' is not
// a whole number", "the seed -1 is outside 0 to 18446744073709551615".
std::uint64_t campaignNumber(std::string_view what, std::string_view text);

// "N" (runs 0 to N-1) or "A:B" (runs A to B-1), holding at least one run.
void parseRuns(std::string_view text, std::uint64_t& firstRun, std::uint64_t& endRun);

// The keys of "a,b,..." as typed, each a vehicle key (with the nearest
// known key when not), none twice.
std::vector<std::string> parseTradeKeys(std::string_view text);

// A campaign's guidance: fixed, before_launch, in_flight or omniscient.
GuidanceMode parseGuidance(std::string_view text);
// The classes a guidance knows: "vehicle", "launch_day", both comma
// separated, or "none"; a bit per Knowledge.
unsigned parseKnown(std::string_view text);

// "OUTPUT>=VALUE" or "OUTPUT<=VALUE" of a campaign output (with the nearest
// output name when OUTPUT is none). VALUE is a quantity in the output's unit,
// the last part of its name, or with a unit of its own:
// "perigee_m>=190km", "max_dynamic_pressure_Pa<=28.3kPa", "SC_M_kg>=120t".
Requirement parseRequirement(std::string_view text);

}  // namespace ascent

// A campaign's settings and the words of its settling (ascent/campaign.h).
#include <algorithm>

#include "ascent/campaign.h"
#include "study/campaign/flight.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<CampaignSettings> campaignDomain[] = {
    {"turn_time_s", "the turn time", [](const CampaignSettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"limit_deg", "the limit",
     [](const CampaignSettings& s) { return s.limit_deg.value_or(lowestLimit_deg); },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    {"min_remaining_propellant_kg", "the propellant a success keeps",
     [](const CampaignSettings& s) { return s.minRemainingPropellant_kg; },
     0, 1e9, true, false, "kg", 1},
    {"probability", "the probability", [](const CampaignSettings& s) { return s.probability; },
     0, 1, false, false, "", 1, false},
    {"confidence", "the confidence", [](const CampaignSettings& s) { return s.confidence; },
     0, 1, false, false, "", 1, false},
};
// clang-format on

constexpr std::string_view outputNames[] = {
    "perigee_m",           "apogee_m", "average_altitude_m",      "remaining_propellant_kg",
    "booster_residual_kg", "SC_M_kg",  "max_dynamic_pressure_Pa", "max_acceleration_mps2",
    "max_force_N",         "limit_deg"};
static_assert(std::size(outputNames) == campaignOutputCount);

}  // namespace

std::string_view campaignOutputName(CampaignOutput output) {
  return outputNames[static_cast<std::size_t>(output)];
}

std::span<const std::string_view> campaignOutputNames() {
  return outputNames;
}

std::span<const SettingDomain<CampaignSettings>> campaignSettingsDomain() {
  return campaignDomain;
}

std::string runsProblem(std::uint64_t firstRun, std::uint64_t endRun) {
  if (firstRun < endRun) return {};
  return "the runs " + std::to_string(firstRun) + ":" + std::to_string(endRun) +
         " hold no run (A:B holds the runs A to B-1)";
}

SettingProblem judgingProblem(const CampaignSettings& settings) {
  for (std::string_view name : {"min_remaining_propellant_kg", "probability", "confidence"}) {
    const SettingDomain<CampaignSettings>& d = *findDomain(campaignSettingsDomain(), name);
    if (std::string problem = domainProblem(d, d.get(settings)); !problem.empty()) {
      return {std::string(name), problem};
    }
  }
  const auto names = campaignOutputNames();
  for (const Requirement& r : settings.requirements) {
    if (std::find(names.begin(), names.end(), r.output) == names.end()) {
      return {"requirements", "the requirement '" + r.text + "' names no output"};
    }
  }
  return {};
}

CampaignJudging judgingOf(const CampaignSettings& settings) {
  return {settings.minRemainingPropellant_kg, settings.probability, settings.confidence,
          settings.requirements};
}

void judgeBy(CampaignSettings& settings, const CampaignJudging& judging) {
  settings.minRemainingPropellant_kg = judging.minRemainingPropellant_kg;
  settings.probability = judging.probability;
  settings.confidence = judging.confidence;
  settings.requirements = judging.requirements;
}

SettingProblem settingsProblem(const CampaignSettings& settings) {
  if (std::string problem = runsProblem(settings.firstRun, settings.endRun); !problem.empty()) {
    return {"runs", problem};
  }
  if (SettingProblem problem = settingsProblem(campaignSettingsDomain(), settings);
      !problem.empty()) {
    return problem;
  }
  if (settings.guidance != GuidanceMode::Fixed && settings.limit_deg) {
    return {"guidance", "a limit and the " + std::string(guidanceName(settings.guidance)) +
                            " guidance exclude each other: give one"};
  }
  if ((settings.known & ~(knowsVehicle | knowsLaunchDay)) != 0) {
    return {"known", "a guidance knows only vehicle and launch_day values"};
  }
  // What a fixed guidance knows is nothing, an omniscient one everything: a
  // narrower knowledge asked of them would be ignored without a word.
  const bool chooses = settings.guidance == GuidanceMode::BeforeLaunch ||
                       settings.guidance == GuidanceMode::InFlight;
  if (!chooses && settings.known != (knowsVehicle | knowsLaunchDay)) {
    return {"known", "the " + std::string(guidanceName(settings.guidance)) + " guidance knows " +
                         (settings.guidance == GuidanceMode::Fixed ? "no draw" : "every draw") +
                         ": what it knows is chosen only for before_launch and in_flight"};
  }
  if (SettingProblem problem = settingsProblem(settings.search); !problem.empty()) return problem;
  return judgingProblem(settings);
}

std::string nominalLimitProblem(double turnTime_s, Verdict verdict) {
  return "the nominal vehicle reaches no design orbit at turn time " + exactText(turnTime_s) +
         " s (" + std::string(verdictName(verdict)) + ")";
}

namespace {

constexpr std::string_view guidanceWords[] = {"fixed", "before_launch", "in_flight", "omniscient"};

}  // namespace

std::string_view guidanceName(GuidanceMode guidance) {
  return guidanceWords[static_cast<std::size_t>(guidance)];
}

std::span<const std::string_view> guidanceNames() {
  return guidanceWords;
}

std::string knownText(unsigned known) {
  std::string text;
  for (const Knowledge k : {Knowledge::Vehicle, Knowledge::LaunchDay}) {
    if ((known & (1u << static_cast<unsigned>(k))) == 0) continue;
    if (!text.empty()) text += ',';
    text += knowledgeName(k);
  }
  return text;
}

std::string searchSettingsText(const SearchSettings& t) {
  return "altitude " + exactText(t.targetAltitude_m / 1000) + " km, tolerance " +
         exactText(t.tolerance_m / 1000) + " km, " + std::to_string(t.maxMissions) +
         " missions, first guess " + exactText(t.firstGuess_deg) + " deg";
}

}  // namespace ascent

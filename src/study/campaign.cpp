// Dispersion campaigns: their settings, the limit every run flies, and the
// runs themselves (ascent/campaign.h).
#include "ascent/campaign.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <stdexcept>

#include "study/thrust_check.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// clang-format off
constexpr SettingDomain<CampaignSettings> campaignDomain[] = {
    {"turn_time_s", "the turn time", [](const CampaignSettings& s) { return s.turnTime_s; },
     lowestTurnTime_s, highestTurnTime_s, true, false, "s", 1},
    {"limit_deg", "the limit",
     [](const CampaignSettings& s) { return s.limit_deg.value_or(lowestLimit_deg); },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    // 0 leaves the count to the thread pool: the machine's cores.
    {"jobs", "the number of threads",
     [](const CampaignSettings& s) { return s.jobs == 0 ? 1.0 : static_cast<double>(s.jobs); },
     1, 1024, true, true, "", 1},
    {"reserve_kg", "the propellant reserve", [](const CampaignSettings& s) { return s.minRemainingPropellant_kg; },
     0, 1e9, true, false, "kg", 1},
    {"probability", "the probability", [](const CampaignSettings& s) { return s.probability; },
     0, 1, false, false, "", 1, false},
    {"confidence", "the confidence", [](const CampaignSettings& s) { return s.confidence; },
     0, 1, false, false, "", 1, false},
};
// clang-format on

constexpr std::string_view outputNames[] = {"perigee_m",
                                            "apogee_m",
                                            "average_altitude_m",
                                            "remaining_propellant_kg",
                                            "SC_M_kg",
                                            "max_dynamic_pressure_Pa",
                                            "max_acceleration_mps2",
                                            "max_force_N",
                                            "limit_deg"};
static_assert(std::size(outputNames) == campaignOutputCount);

}  // namespace

std::string_view campaignOutputName(CampaignOutput output) {
  return outputNames[static_cast<std::size_t>(output)];
}

std::span<const std::string_view> campaignOutputNames() {
  return outputNames;
}

Requirement campaignRequirement(std::string_view text) {
  return parseRequirement(text, outputNames);
}

std::span<const SettingDomain<CampaignSettings>> campaignSettingsDomain() {
  return campaignDomain;
}

std::string campaignNumberProblem(std::string_view what, std::string_view text,
                                  std::uint64_t& value) {
  // An optional minus and decimal digits: a whole number, if maybe out of range.
  const std::string_view digits = text.substr(!text.empty() && text.front() == '-' ? 1 : 0);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return "'" + std::string(text) + "' is not a whole number";
  }
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  const bool negative =
      digits.size() != text.size() && digits.find_first_not_of('0') != digits.npos;
  if (negative || error != std::errc() || end != digits.data() + digits.size()) {
    return std::string(what) + " " + std::string(text) + " is outside 0 to " +
           std::to_string(std::numeric_limits<std::uint64_t>::max());
  }
  return {};
}

std::string runsProblem(std::uint64_t firstRun, std::uint64_t endRun) {
  if (firstRun < endRun) return {};
  return "the runs " + std::to_string(firstRun) + ":" + std::to_string(endRun) +
         " hold no run (A:B holds the runs A to B-1)";
}

namespace {

// Every rule but that of the runs: a campaign resumed when its runs are all
// done has none left to fly.
std::string flyingProblem(const CampaignSettings& settings) {
  if (std::string problem = settingsProblem(campaignSettingsDomain(), settings); !problem.empty()) {
    return problem;
  }
  if (settings.retarget && settings.limit_deg) {
    return "a limit and retargeting exclude each other: give one";
  }
  return settingsProblem(settings.search);
}

}  // namespace

std::string campaignSettingsProblem(const CampaignSettings& settings) {
  std::string problem = runsProblem(settings.firstRun, settings.endRun);
  return problem.empty() ? flyingProblem(settings) : problem;
}

CampaignLimit settleCampaignLimit(const ThrustHistory& history, const Vehicle& nominal,
                                  CampaignSettings& settings) {
  if (std::string problem = campaignSettingsProblem(settings); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  requireFlyable(history, nominal, settings.turnTime_s, "the nominal vehicle");
  CampaignLimit settled;
  if (settings.retarget || settings.limit_deg) return settled;
  const TargetRun run = targetTurnTime(history, nominal, settings.turnTime_s, settings.search);
  settled.targeted = true;
  settled.verdict = run.verdict == Verdict::Converged && run.answer() == nullptr
                        ? Verdict::NotConverged
                        : run.verdict;
  if (settled.verdict == Verdict::Converged) settings.limit_deg = run.answer()->limit_deg;
  return settled;
}

std::string nominalLimitProblem(double turnTime_s, Verdict verdict) {
  return "the nominal vehicle reaches no design orbit at turn time " + exactText(turnTime_s) +
         " s (" + std::string(verdictName(verdict)) + ")";
}

std::string_view guidanceName(bool retarget) {
  return retarget ? "retarget" : "limit";
}

std::string targetSettingsText(const SearchSettings& t) {
  return "altitude " + exactText(t.altitude_m / 1000) + " km, tolerance " +
         exactText(t.tolerance_m / 1000) + " km, " + std::to_string(t.maxMissions) +
         " missions, first guess " + exactText(t.firstGuess_deg) + " deg";
}

CampaignRow flyCampaignRun(const ThrustHistory& history, const Sampler& sampler,
                           const CampaignSettings& settings, std::uint64_t run) {
  CampaignRow row;
  row.run = run;
  row.values.resize(sampler.dispersions().size());
  sampler.draw(settings.seed, run, row.values);
  std::fill(std::begin(row.outputs), std::end(row.outputs), notANumber);
  const Vehicle vehicle = sampler.apply(row.values);
  const std::vector<std::string> problems = vehicleProblems(vehicle);
  if (!problems.empty()) {
    row.flightClass = FlightClass::Failed;
    row.reason = "vehicle: " + problems.front();
    return row;
  }
  MissionResult flown;
  const MissionResult* mission = &flown;
  TargetRun target;
  if (settings.retarget) {
    target = targetTurnTime(history, vehicle, settings.turnTime_s, settings.search);
    mission = target.answer();
    // An orbit that the search did not bring to the target says so.
    if (target.verdict != Verdict::Converged) row.reason = verdictName(target.verdict);
    if (mission == nullptr && !target.missions.empty()) mission = &target.missions.back();
    if (mission == nullptr) {
      row.flightClass = FlightClass::Failed;
      row.reason = "no mission flown";
      return row;
    }
  } else {
    RunRecord record;
    flown = flyMission(history, vehicle, settings.turnTime_s, *settings.limit_deg, record);
  }
  const MissionResult& m = *mission;
  row.flightClass = classifyFlight(m, settings.minimumPerigee_m);
  row.outputs[static_cast<std::size_t>(CampaignOutput::Limit)] = m.limit_deg;
  switch (row.flightClass) {
    case FlightClass::Orbit:
    case FlightClass::Suborbital: {
      const double outputs[] = {m.perigee_m,
                                m.apogee_m,
                                m.averageAltitude_m,
                                m.remainingPropellant_kg,
                                m.sizing.SC_M_kg,
                                m.missionPeaks.maxQ_Pa,
                                m.missionPeaks.maxAccel_mps2,
                                m.maxForce_N};
      std::copy(std::begin(outputs), std::end(outputs), row.outputs);
      break;
    }
    case FlightClass::Escape:
      row.reason = "the trajectory does not close";
      break;
    case FlightClass::Abandoned:
      row.reason = abandonReasonName(m.abandonReason);
      break;
    case FlightClass::Failed:
      row.reason = std::to_string(m.failureCode) + ": " + m.failureReason;
      break;
  }
  return row;
}

std::size_t runCampaign(const ThrustHistory& history, const Sampler& sampler,
                        const CampaignSettings& settings,
                        const std::function<void(const CampaignRow&)>& onRow,
                        const std::function<bool()>& stop) {
  if (std::string problem = flyingProblem(settings); !problem.empty()) {
    throw std::invalid_argument(problem);
  }
  if (!settings.retarget && !settings.limit_deg) {
    throw std::invalid_argument("the limit of the runs is not settled (settleCampaignLimit)");
  }
  const std::size_t count =
      settings.endRun > settings.firstRun ? settings.endRun - settings.firstRun : 0;
  // Runs in flight wait in a ring: the pool never starts run i before run
  // i - slots is delivered, so its slot is free. The pool widens the window
  // asked for to its thread count, and the ring follows.
  constexpr std::size_t window = 1024;
  const std::size_t slots = runWindow(count, settings.jobs, window);
  std::vector<CampaignRow> ring(std::min(count, slots));
  return runInOrder(
      count, settings.jobs,
      [&](std::size_t i) {
        ring[i % slots] = flyCampaignRun(history, sampler, settings, settings.firstRun + i);
      },
      [&](std::size_t i) { onRow(ring[i % slots]); }, stop, window);
}

}  // namespace ascent

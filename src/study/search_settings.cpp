// The settings every study shares: the search for the limit, the threads,
// and the name a refusal gives the vehicle (ascent/study.h).
#include "ascent/study.h"

namespace ascent {

namespace {

// clang-format off
constexpr SettingDomain<SearchSettings> searchDomain[] = {
    {"target_altitude_m", "the target altitude",
     [](const SearchSettings& s) { return s.targetAltitude_m; }, 1e3, 1e8, true, false, "km", 1e3},
    {"tolerance_m", "the altitude tolerance", [](const SearchSettings& s) { return s.tolerance_m; },
     0, 1e6, false, false, "km", 1e3},
    {"max_missions", "the mission budget",
     [](const SearchSettings& s) { return static_cast<double>(s.maxMissions); },
     1, 100000, true, true, "", 1},
    {"first_guess_deg", "the first guess", [](const SearchSettings& s) { return s.firstGuess_deg; },
     lowestLimit_deg, highestLimit_deg, true, false, "deg", 1},
    {"minimum_perigee_m", "the minimum perigee",
     [](const SearchSettings& s) { return s.minimumPerigee_m; }, 0, 1e8, true, false, "km", 1e3},
    // In pascals on both doors, as every output writes the mission's peak.
    {"dynamic_pressure_limit_Pa", "the dynamic-pressure limit",
     [](const SearchSettings& s) { return s.dynamicPressureLimit_Pa; }, 0, 1e9, false, false,
     "Pa", 1, true, true},
};

constexpr SettingDomain<unsigned> jobsTable[] = {
    {"jobs", "the number of threads",
     [](const unsigned& jobs) { return static_cast<double>(jobs); },
     1, highestJobs, true, true, "", 1},
};
// clang-format on

}  // namespace

std::span<const SettingDomain<SearchSettings>> searchSettingsDomain() {
  return searchDomain;
}

SettingProblem settingsProblem(const SearchSettings& settings) {
  SettingProblem problem = settingsProblem(searchSettingsDomain(), settings);
  // A window that reaches the ground holds every orbit and no answer: such a
  // tolerance was meant in metres. Said before the tolerance's own domain,
  // which a number of metres taken for km leaves too (--tolerance 5000).
  if ((problem.empty() || problem.setting == "tolerance_m") &&
      settings.tolerance_m >= settings.targetAltitude_m) {
    const auto shown = [](std::string_view name, double value_si) {
      const SettingDomain<SearchSettings>& d = *findDomain(searchSettingsDomain(), name);
      return std::string(d.what) + " " + readableText(value_si / d.siPerUnit) + " " +
             std::string(d.unit);
    };
    return {"tolerance_m",
            shown("tolerance_m", settings.tolerance_m) + " is not below " +
                shown("target_altitude_m", settings.targetAltitude_m),
            "m"};
  }
  return problem;
}

std::span<const SettingDomain<unsigned>> jobsDomain() {
  return jobsTable;
}

SettingProblem jobsProblem(unsigned jobs) {
  return jobs == 0 ? SettingProblem() : settingsProblem(jobsDomain(), jobs);
}

std::string StudyInputs::vehicleName() const {
  if (!vehicleFile.empty()) return "the vehicle file " + vehicleFile;
  return vehicle == Vehicle::defaults() ? "the default vehicle" : "the vehicle";
}

}  // namespace ascent

// The performance study (ascent/performance.h): runOptimize's search at every
// altitude, the scans of many altitudes sharing the thread pool.
#include "ascent/performance.h"

#include <algorithm>

#include "study/optimize/search.h"
#include "study/targeting.h"
#include "study/thread_pool.h"

namespace ascent {

namespace {

// The scan rows held at once: altitudes are searched in blocks of about
// this many scan turn times, so a long list of altitudes keeps few.
constexpr std::size_t scanRowsHeld = 4096;

PerformanceRow rowOf(double altitude_m, const OptimizeResult& search) {
  PerformanceRow row;
  row.altitude_m = altitude_m;
  row.missions = search.missions;
  row.turnTimesTargeted = search.candidates.size();
  if (search.found()) {
    row.found = true;
    row.design = search.optimum();
    row.atRangeEdge = search.atRangeEdge;
  } else if (std::size_t k = nearestToDesign(search.candidates); k < search.candidates.size()) {
    row.design = search.candidates[k];
  }
  return row;
}

}  // namespace

SettingProblem settingsProblem(const PerformanceSettings& settings) {
  if (settings.altitudes_m.empty()) return {"altitudes_m", "there is no altitude to fly"};
  if (settings.altitudes_m.size() > highestPerformanceAltitudes) {
    return {"altitudes_m", "the study holds more than " +
                               std::to_string(highestPerformanceAltitudes) + " altitudes"};
  }
  const SettingDomain<SearchSettings>& domain =
      *findDomain(searchSettingsDomain(), "target_altitude_m");
  for (double altitude_m : settings.altitudes_m) {
    if (std::string problem = domainProblem(domain, altitude_m); !problem.empty()) {
      return {"altitudes_m", problem};
    }
  }
  // At the lowest altitude, which a tolerance reaches first.
  return settingsProblem(
      settingsAt(settings.optimize,
                 *std::min_element(settings.altitudes_m.begin(), settings.altitudes_m.end())));
}

Vehicle vehicleAimedAt(const Vehicle& vehicle, double altitude_m) {
  Vehicle aimed = vehicle;
  aimed.guidance.target_altitude_m = altitude_m;
  return aimed;
}

OptimizeSettings settingsAt(const OptimizeSettings& settings, double altitude_m) {
  OptimizeSettings at = settings;
  at.search.targetAltitude_m = altitude_m;
  return at;
}

bool PerformanceResult::found() const {
  for (const PerformanceRow& row : rows) {
    if (row.found) return true;
  }
  return false;
}

PerformanceResult runPerformance(const StudyInputs& inputs, const PerformanceSettings& settings,
                                 unsigned jobs, StudyObserver* observer) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  checkStudyInputs(inputs, settings.optimize.to_s, observer);
  const ThrustHistory& history = inputs.history;
  const Vehicle& vehicle = inputs.vehicle;
  const Progress progress = progressOf(observer);
  const std::vector<double> scan = scanTurnTimes(settings.optimize);
  const std::size_t altitudes = settings.altitudes_m.size(), points = scan.size();
  const std::size_t total = altitudes * (points + 1);
  std::size_t done = 0;
  auto step = [&](std::size_t) {
    if (progress) progress(++done, total);
  };
  PerformanceResult result;
  result.settings = settings;
  result.thrustFile = history.name();
  result.vehicle = vehicle;
  const std::size_t block = std::max<std::size_t>(1, scanRowsHeld / points);
  for (std::size_t first = 0; first < altitudes; first += block) {
    const std::size_t count = std::min(block, altitudes - first);
    std::vector<Vehicle> vehicles;
    std::vector<OptimizeSettings> searchSettings;
    std::vector<OptimizeResult> searches(count);
    for (std::size_t a = 0; a < count; ++a) {
      vehicles.push_back(vehicleAimedAt(vehicle, settings.altitudes_m[first + a]));
      searchSettings.push_back(settingsAt(settings.optimize, settings.altitudes_m[first + a]));
      searches[a].candidates.resize(points);
      searches[a].scanned = points;
    }
    // Every turn time of every scan is a task of its own: a few altitudes
    // still keep every thread busy.
    runInOrder(
        count * points, jobs,
        [&](std::size_t i) {
          const std::size_t a = i / points;
          searches[a].candidates[i % points] =
              targetRow(history, vehicles[a], scan[i % points], searchSettings[a].search);
        },
        step);
    // Each search flies one turn time after another: an altitude to a thread.
    runInOrder(
        count, jobs,
        [&](std::size_t a) {
          closeIn(searches[a], scan, history, vehicles[a], searchSettings[a], {});
        },
        [&](std::size_t a) {
          result.rows.push_back(rowOf(settings.altitudes_m[first + a], searches[a]));
          result.missions += result.rows.back().missions;
          searches[a] = OptimizeResult();
          step(a);
        });
  }
  return result;
}

}  // namespace ascent

// The sweep study's settings, its run and its tally (ascent/sweep.h).
#include "ascent/sweep.h"

#include "study/targeting.h"

namespace ascent {

namespace {

std::string shardWords(const Shard& shard) {
  return "'" + std::to_string(shard.index) + "/" + std::to_string(shard.count) +
         "' is not I/N with 1 <= I <= N <= " + std::to_string(highestSweepTurnTimes);
}

}  // namespace

std::string shardProblem(const Shard& shard) {
  if (shard.index >= 1 && shard.index <= shard.count && shard.count <= highestSweepTurnTimes) {
    return {};
  }
  return shardWords(shard);
}

std::vector<double> shardSelection(const std::vector<double>& turnTimes, const Shard& shard) {
  std::vector<double> selected;
  if (shardProblem(shard).empty()) {
    for (std::size_t k = shard.index - 1; k < turnTimes.size(); k += shard.count) {
      selected.push_back(turnTimes[k]);
    }
  }
  return selected;
}

SettingProblem settingsProblem(const SweepSettings& settings) {
  if (settings.turnTimes.empty()) return {"turn_times", "there is no turn time to fly"};
  if (settings.turnTimes.size() > highestSweepTurnTimes) {
    return {"turn_times",
            "the sweep holds more than " + std::to_string(highestSweepTurnTimes) + " turn times"};
  }
  for (double turnTime_s : settings.turnTimes) {
    if (std::string problem = turnTimeProblem(turnTime_s); !problem.empty()) {
      return {"turn_times", problem};
    }
  }
  if (SettingProblem problem = settingsProblem(settings.search); !problem.empty()) return problem;
  return {"shard", shardProblem(settings.shard)};
}

void SweepResult::add(const SweepRow& row) {
  ++turnTimes;
  missions += row.missions;
  if (row.verdict == Verdict::Converged) ++converged;
  if (row.verdict == Verdict::Infeasible) ++infeasible;
  if (row.verdict == Verdict::NoPropellantLeft) ++noPropellantLeft;
  if (betterDesign(row, found ? &best : nullptr)) {
    found = true;
    best = row;
  }
}

bool betterDesign(const SweepRow& row, const SweepRow* best) {
  if (row.verdict != Verdict::Converged || !(row.mission.remainingPropellant_kg >= 0)) return false;
  return best == nullptr || row.mission.sizing.SC_M_kg > best->mission.sizing.SC_M_kg;
}

SweepResult runSweep(const StudyInputs& inputs, const SweepSettings& settings, unsigned jobs,
                     SweepObserver& observer) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  const std::vector<double> flown = shardSelection(settings.turnTimes, settings.shard);
  // The last turn time reads the most records.
  if (!flown.empty()) checkStudyInputs(inputs, flown.back(), &observer);
  SweepResult result;
  sweepTurnTimes(
      inputs.history, inputs.vehicle, flown, settings.search, jobs,
      [&](const SweepRow& row) {
        result.add(row);
        observer.row(row);
        observer.progress(result.turnTimes, flown.size());
      },
      stopOf(&observer));
  return result;
}

}  // namespace ascent

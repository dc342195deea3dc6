#include <memory>

#include "ascent/study.h"
#include "study/target_row.h"

namespace ascent {

std::size_t sweepTurnTimes(const ThrustHistory& history, const Vehicle& vehicle,
                           const std::vector<double>& turnTimes, const SearchSettings& settings,
                           unsigned jobs, const std::function<void(const SweepRow&)>& onRow,
                           const std::function<bool()>& stop) {
  // Rows wait here from the moment they are done until they are delivered.
  std::vector<std::unique_ptr<SweepRow>> rows(turnTimes.size());
  return runInOrder(
      turnTimes.size(), jobs,
      [&](std::size_t i) {
        rows[i] = std::make_unique<SweepRow>(targetRow(history, vehicle, turnTimes[i], settings));
      },
      [&](std::size_t i) {
        onRow(*rows[i]);
        rows[i].reset();
      },
      stop);
}

bool betterDesign(const SweepRow& row, const SweepRow* best) {
  if (row.verdict != Verdict::Converged || !(row.mission.remainingPropellant_kg >= 0)) return false;
  return best == nullptr || row.mission.sizing.SC_M_kg > best->mission.sizing.SC_M_kg;
}

std::size_t bestDesign(const std::vector<SweepRow>& rows) {
  std::size_t best = rows.size();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (betterDesign(rows[i], best == rows.size() ? nullptr : &rows[best])) best = i;
  }
  return best;
}

}  // namespace ascent

// Whose fault a thrust history that no mission can fly is, that every study
// refuses it before its first mission, and what a search that only escapes is.
#include "study/thrust_check.h"

#include <gtest/gtest.h>

#include "ascent/campaign.h"
#include "ascent/fly.h"
#include "ascent/performance.h"
#include "ascent/sweep.h"
#include "ascent/target.h"
#include "ascent/trade.h"

namespace ascent {
namespace {

const ThrustHistory shipped = ThrustHistory::fromRecords(
    ThrustHistory::fromFile(ASCENT_SHIPPED_DATA_DIR "/s1.dat").records(), "s1.dat");
const ThrustHistory empty = ThrustHistory::fromRecords({}, "e.dat");

Vehicle changed(const char* key, double value) {
  Vehicle vehicle = Vehicle::defaults();
  findVehicleKey(key)->set(vehicle, value);
  return vehicle;
}

// The refusal's words, "vehicle: " first for VehicleError; "" for none.
std::string refusal(const std::function<void()>& refuse) {
  try {
    refuse();
  } catch (const ThrustFileError& error) {
    return error.what();
  } catch (const VehicleError& error) {
    return std::string("vehicle: ") + error.what();
  }
  return "";
}

TEST(ThrustCheck, TheFileIsAtFaultUnlessTheDefaultVehicleFliesIt) {
  const struct {
    const ThrustHistory& history;
    Vehicle vehicle;
    std::string refused;  // its start; "vehicle: " for VehicleError
  } cases[] = {
      {shipped, Vehicle::defaults(), ""},
      {empty, changed("core.thrust_N", 1e308), "cannot fly the thrust file: e.dat ends before"},
      {shipped, changed("core.thrust_N", 1e308),
       "vehicle: cannot fly the vehicle: the mission clock left -10000..10000 s before booster "
       "separation (the default vehicle flies s1.dat)"},
      {shipped, changed("boosters.time_scale", 0.01),
       "vehicle: cannot fly the vehicle: s1.dat ends before record 161"},
  };
  for (const auto& c : cases) {
    const std::string refused = refusal([&] { requireFlyable(c.history, c.vehicle, 18); });
    EXPECT_TRUE(refused.starts_with(c.refused) && refused.empty() == c.refused.empty()) << refused;
    // A mission flown that failed for its records is refused by the same rule.
    RunRecord record;
    const MissionResult flown = flyMission(c.history, c.vehicle, 18, 24, record);
    if (failedForThrustFile(flown)) {
      EXPECT_EQ(refusal([&] { refuseFailedMission(flown, c.history, c.vehicle, "the vehicle"); }),
                refused);
    }
  }
}

TEST(ThrustCheck, EveryStudyRefusesAnUnflyableHistoryBeforeItsFirstMission) {
  const Vehicle& v = Vehicle::defaults();
  CampaignSettings campaign;
  campaign.endRun = 1;
  campaign.turnTime_s = 18;
  const StudyInputs inputs{empty, v, ""};
  struct NoRows : SweepObserver {
    void row(const SweepRow&) override {}
  } noRows;
  CampaignObserver quiet;
  const DispersionFile none;
  EXPECT_THROW(runFly(inputs, {18, 24}), ThrustFileError);
  EXPECT_THROW(runTarget(inputs, {18, {}}), ThrustFileError);
  EXPECT_THROW(runSweep(inputs, {{5, 18}, {}, {}}, 1, noRows), ThrustFileError);
  EXPECT_THROW(runOptimize(inputs, {}, 1), ThrustFileError);
  EXPECT_THROW(runTrade(inputs, {}, 1), ThrustFileError);
  EXPECT_THROW(runPerformance(inputs, {{200e3}, {}}, 1), ThrustFileError);
  EXPECT_THROW(runCampaign({inputs, none}, campaign, 1, quiet), ThrustFileError);
}

// The search takes an escape for "too low": all escapes are not "unreachable".
TEST(TargetVerdict, ASearchWhoseEveryMissionEscapesIsEscape) {
  const TargetRun run =
      targetTurnTime(shipped, changed("guidance.guided_speed_factor", 0.7), 18, {});
  EXPECT_EQ(verdictName(run.verdict), "escape");
  EXPECT_EQ(run.answer(), nullptr);
}

}  // namespace
}  // namespace ascent

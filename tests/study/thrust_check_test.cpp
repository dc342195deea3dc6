// Whose fault a thrust history that no mission can fly is, that every study
// refuses it before its first mission, and what a search that only escapes is.
#include "study/thrust_check.h"

#include <gtest/gtest.h>

#include "ascent/campaign.h"
#include "ascent/results.h"
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
    const MissionResult flown = flyFlight(c.history, c.vehicle, {18, 24}).result;
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
  EXPECT_THROW(targetOrbit(empty, v, 18, {}), ThrustFileError);
  EXPECT_THROW(sweep(empty, v, {{5, 18}, {}, 1, {}}, [](const SweepRow&) {}), ThrustFileError);
  EXPECT_THROW(optimizeTurnTime(empty, v, {}, 1), ThrustFileError);
  EXPECT_THROW(tradeRatios(empty, v, {}, 1), ThrustFileError);
  EXPECT_THROW(settleCampaignLimit(empty, v, campaign), ThrustFileError);
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

// The guidance of a campaign at its extremes, and in flight: what a
// guidance that knows nothing of the draws flies is the fixed limit
// targeted on the nominal vehicle, what one that knows every draw flies is
// the omniscient targeting, and an in-flight decision brings its own
// prediction to the target orbit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ascent/campaign.h"
#include "study/targeting.h"

namespace ascent {
namespace {

ThrustHistory shippedHistory() {
  return ThrustHistory::fromFile(std::string(ASCENT_SHIPPED_DATA_DIR) + "/s1.dat");
}

// Masses, thrusts and the drag, all of one knowledge.
DispersionFile dispersionsKnown(Knowledge known) {
  DispersionFile file;
  file.dispersions = {
      {"upper.mass_kg", Distribution::Normal, 300, 0, 0, false, known},
      {"core.inert_mass_kg", Distribution::Uniform, 0, -0.5, 0.5, true, known},
      {"core.thrust_N", Distribution::Normal, 0.5, 0, 0, true, known},
      {"aero.drag_scale", Distribution::Uniform, 0, -5, 5, true, known},
  };
  return file;
}

struct Rows : CampaignObserver {
  void row(const CampaignRow& row) override {
    rows.push_back(toValue(schema.fields(), row));
    flown.push_back(row);
  }
  CampaignRowSchema schema{dispersionsKnown(Knowledge::Unknown).dispersions};
  std::vector<Value> rows;
  std::vector<CampaignRow> flown;
};

Rows campaign(const ThrustHistory& history, Knowledge known, GuidanceMode guidance,
              unsigned knows = knowsVehicle | knowsLaunchDay) {
  const DispersionFile file = dispersionsKnown(known);
  CampaignSettings settings;
  settings.known = knows;
  settings.seed = 11;
  settings.endRun = 12;
  settings.turnTime_s = 18;
  settings.guidance = guidance;
  Rows rows;
  runCampaign({{history, Vehicle::defaults(), ""}, file}, settings, 2, rows);
  return rows;
}

TEST(CampaignGuidance, BeforeLaunchIsFixedKnowingNothingAndOmniscientKnowingEverything) {
  const ThrustHistory history = shippedHistory();
  const std::vector<Value> fixed = campaign(history, Knowledge::Unknown, GuidanceMode::Fixed).rows;
  EXPECT_TRUE(campaign(history, Knowledge::Unknown, GuidanceMode::BeforeLaunch).rows == fixed);
  EXPECT_TRUE(campaign(history, Knowledge::Vehicle, GuidanceMode::BeforeLaunch).rows ==
              campaign(history, Knowledge::Vehicle, GuidanceMode::Omniscient).rows);
  // Launch-day values that the guidance is told not to know stay nominal.
  EXPECT_TRUE(
      campaign(history, Knowledge::LaunchDay, GuidanceMode::BeforeLaunch, knowsVehicle).rows ==
      fixed);
}

// The prediction a run's limit was decided by, flown again: from the state
// at booster separation of the run's own flight, the rest flown with the
// known draws at the limit chosen.
class Prediction final : public MissionObserver {
 public:
  Prediction(Vehicle known, double chosen_deg)
      : known_(std::move(known)), chosen_deg_(chosen_deg) {}
  double limitAtSeparation(const SeparationState& state, double given) override {
    predicted = state.flyRest(known_, chosen_deg_);
    return given;
  }
  MissionResult predicted;

 private:
  const Vehicle known_;
  double chosen_deg_;
};

TEST(CampaignGuidance, InFlightTheLimitChosenBringsItsPredictionToTheTarget) {
  const ThrustHistory history = shippedHistory();
  const DispersionFile file = dispersionsKnown(Knowledge::Vehicle);
  const Rows rows = campaign(history, Knowledge::Vehicle, GuidanceMode::InFlight);
  const Sampler sampler(Vehicle::defaults(), file.dispersions);
  const SearchSettings search;
  std::size_t converged = 0;
  for (const CampaignRow& row : rows.flown) {
    SCOPED_TRACE(row.run);
    ASSERT_TRUE(std::isfinite(row.decisionTime_s));
    if (row.targeting != Verdict::Converged) continue;
    ++converged;
    const double limit_deg = row.outputs[static_cast<std::size_t>(CampaignOutput::Limit)];
    Prediction prediction(sampler.applyKnown(row.values, knowsVehicle), limit_deg);
    RunRecord record;
    flyMission(history, sampler.apply(row.values), 18, 0, record, &prediction);
    EXPECT_NEAR(prediction.predicted.averageAltitude_m, search.targetAltitude_m,
                search.tolerance_m);
  }
  EXPECT_GT(converged, 8u);
}

}  // namespace
}  // namespace ascent

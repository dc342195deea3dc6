// A campaign's run: the limit settled, the runs drawn, flown and delivered
// in run order, the summary (ascent/campaign.h).
#include <algorithm>
#include <limits>

#include "ascent/campaign.h"
#include "mission/hash.h"
#include "study/campaign/flight.h"
#include "study/targeting.h"
#include "study/thread_pool.h"
#include "study/thrust_check.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The limit every run flies (fixed), or the in-flight predictor's first
// guess: the one given, or the one that brings the nominal vehicle to the
// target orbit at the turn time. Nothing to settle for the guidances that
// target every run from the search's own first guess.
CampaignLimit settleLimit(const StudyInputs& nominal, const CampaignSettings& settings) {
  CampaignLimit settled;
  if (settings.guidance == GuidanceMode::BeforeLaunch ||
      settings.guidance == GuidanceMode::Omniscient) {
    return settled;
  }
  if (settings.limit_deg) {
    settled.limit_deg = *settings.limit_deg;
    return settled;
  }
  const TargetRun run =
      targetTurnTime(nominal.history, nominal.vehicle, settings.turnTime_s, settings.search);
  settled.targeted = true;
  settled.verdict = run.verdict == Verdict::Converged && run.answer() == nullptr
                        ? Verdict::NotConverged
                        : run.verdict;
  if (settled.verdict == Verdict::Converged) settled.limit_deg = run.answer()->limit_deg;
  return settled;
}

// The guidance in flight: at booster separation a predictor flies the rest
// of the mission from the state reached, with the known draws and the
// nominal values of the unknown keys, and searches the limit that brings it
// to the target orbit as targeting does, from the nominal limit. The run
// goes on with every draw under the limit chosen: the best found when the
// search does not converge.
class InFlightGuidance final : public MissionObserver {
 public:
  InFlightGuidance(const Vehicle& known, const CampaignSettings& settings, CampaignRow& row)
      : known_(known), settings_(settings), row_(row) {}
  double limitAtSeparation(const SeparationState& state, double given) override {
    row_.decisionTime_s = state.time_s();
    row_.decisionAltitude_m = state.altitude_m();
    row_.decisionSpeed_mps = state.speed_mps();
    const TargetRun predicted =
        targetWith([&](double limit_deg) { return state.flyRest(known_, limit_deg); },
                   settings_.turnTime_s, settings_.search, given);
    row_.targeting = predicted.verdict;
    const MissionResult* chosen = chosenMission(predicted);
    return chosen != nullptr ? chosen->limit_deg : given;
  }

 private:
  const Vehicle& known_;
  const CampaignSettings& settings_;
  CampaignRow& row_;
};

// The mission the run flies with every draw, its limit set by the
// campaign's guidance; null when no mission was flown (`row` says why).
const MissionResult* flyGuided(const ThrustHistory& history, const Sampler& sampler,
                               const CampaignSettings& settings, const CampaignLimit& limit,
                               const Vehicle& vehicle, CampaignRow& row, TargetRun& target,
                               MissionResult& flown) {
  RunRecord record;
  double limit_deg = limit.limit_deg;
  switch (settings.guidance) {
    case GuidanceMode::Fixed:
      if (limit.targeted) row.targeting = limit.verdict;
      break;
    case GuidanceMode::InFlight: {
      row.decisionTime_s = row.decisionAltitude_m = row.decisionSpeed_mps = notANumber;
      const Vehicle known = sampler.applyKnown(row.values, settings.known);
      InFlightGuidance guidance(known, settings, row);
      flown = flyMission(history, vehicle, settings.turnTime_s, limit_deg, record, &guidance);
      return &flown;
    }
    case GuidanceMode::BeforeLaunch:
    case GuidanceMode::Omniscient: {
      // Every draw known, the search's own mission is the flight: flown
      // again at its limit it is the same bits.
      const bool all = settings.guidance == GuidanceMode::Omniscient;
      target =
          targetTurnTime(history, all ? vehicle : sampler.applyKnown(row.values, settings.known),
                         settings.turnTime_s, settings.search);
      row.targeting = target.verdict;
      const MissionResult* chosen = chosenMission(target);
      if (chosen == nullptr) return nullptr;
      if (all) return chosen;
      limit_deg = chosen->limit_deg;
      break;
    }
  }
  flown = flyMission(history, vehicle, settings.turnTime_s, limit_deg, record);
  return &flown;
}

// Flies the runs of `settings` from `firstRun` on the ordered thread pool;
// each is passed to `onRow` on the calling thread in run order. Returns the
// runs delivered.
std::uint64_t flyRuns(const ThrustHistory& history, const Sampler& sampler,
                      const CampaignSettings& settings, const CampaignLimit& limit,
                      const RunDraw& draw, std::uint64_t firstRun, unsigned jobs,
                      StudyObserver& observer,
                      const std::function<void(const CampaignRow&)>& onRow) {
  const std::size_t count = settings.endRun > firstRun ? settings.endRun - firstRun : 0;
  // Runs in flight wait in a ring: the pool never starts run i before run
  // i - slots is delivered, so its slot is free. The pool widens the window
  // asked for to its thread count, and the ring follows.
  constexpr std::size_t window = 1024;
  const std::size_t slots = runWindow(count, jobs, window);
  std::vector<CampaignRow> ring(std::min(count, slots));
  return runInOrder(
      count, jobs,
      [&](std::size_t i) {
        ring[i % slots] = flyDrawnRun(history, sampler, settings, limit, draw(firstRun + i));
      },
      [&](std::size_t i) { onRow(ring[i % slots]); }, stopOf(&observer), window);
}

}  // namespace

CampaignRow flyCampaignRun(const ThrustHistory& history, const Sampler& sampler,
                           const CampaignSettings& settings, const CampaignLimit& limit,
                           std::uint64_t run) {
  CampaignRow row;
  row.run = run;
  row.values.resize(sampler.dispersions().size());
  sampler.draw(settings.seed, run, row.values);
  return flyDrawnRun(history, sampler, settings, limit, std::move(row));
}

CampaignRow flyDrawnRun(const ThrustHistory& history, const Sampler& sampler,
                        const CampaignSettings& settings, const CampaignLimit& limit,
                        CampaignRow row) {
  std::fill(std::begin(row.outputs), std::end(row.outputs), notANumber);
  const Vehicle vehicle = sampler.apply(row.values);
  const std::vector<std::string> problems = vehicleProblems(vehicle);
  if (!problems.empty()) {
    row.flightClass = FlightClass::Failed;
    row.reason = "vehicle: " + problems.front();
    return row;
  }
  TargetRun target;
  MissionResult flown;
  const MissionResult* mission =
      flyGuided(history, sampler, settings, limit, vehicle, row, target, flown);
  if (mission == nullptr) {
    row.flightClass = FlightClass::Failed;
    row.reason = "no mission flown";
    return row;
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
                                m.boosterResidual_kg,
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

CampaignManifest describeCampaign(const CampaignInputs& inputs, const CampaignSettings& settings) {
  const StudyInputs& flight = inputs.flight;
  CampaignManifest m;
  m.program = "ascent " + std::string(version());
  m.seed = settings.seed;
  m.dispersionFile = inputs.dispersions.path;
  m.dispersionHash = inputs.dispersions.hash;
  m.vehicleFile = flight.vehicleFile;
  m.vehicleHash = vehicleHash(flight.vehicle);
  m.thrustFile = flight.history.name();
  m.thrustHash = thrustHistoryHash(flight.history);
  m.turnTime_s = settings.turnTime_s;
  m.guidance = settings.guidance;
  // Only the guidances that know some classes depend on which.
  const bool knows = settings.guidance == GuidanceMode::BeforeLaunch ||
                     settings.guidance == GuidanceMode::InFlight;
  m.known = knows ? settings.known : knowsVehicle | knowsLaunchDay;
  m.limit_deg = settings.limit_deg.value_or(0);
  m.target = settings.guidance != GuidanceMode::Fixed ? searchSettingsText(settings.search) : "";
  m.predictor = settings.guidance == GuidanceMode::InFlight
                    ? "at booster separation, the rest flown with the known draws, targeted from "
                      "the nominal limit"
                    : "";
  m.columns = CampaignRowSchema(inputs.dispersions.dispersions).header();
  m.firstRun = settings.firstRun;
  m.endRun = settings.endRun;
  m.judging = judgingOf(settings);
  return m;
}

CampaignResult flyCampaign(const CampaignInputs& inputs, const CampaignSettings& settings,
                           unsigned jobs, CampaignObserver& observer,
                           std::unique_ptr<ValueSpill> spill, const DrawOf& drawOf,
                           std::uint64_t designRows) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  const Sampler sampler(inputs.flight.vehicle, inputs.dispersions.dispersions,
                        inputs.dispersions.correlations);
  checkStudyInputs(inputs.flight, settings.turnTime_s, &observer, "the nominal vehicle");
  CampaignResult result;
  result.limit = settleLimit(inputs.flight, settings);
  if (result.limit.verdict != Verdict::Converged) return result;
  CampaignSettings settled = settings;
  if (settled.guidance == GuidanceMode::Fixed || settled.guidance == GuidanceMode::InFlight) {
    settled.limit_deg = result.limit.limit_deg;
  }
  result.manifest = describeCampaign(inputs, settled);
  if (designRows > 0) {
    result.manifest.designRows = designRows;
    result.manifest.columns = CampaignRowSchema(inputs.dispersions.dispersions, true).header();
  }
  result.builder = std::make_unique<SummaryBuilder>(settled, std::move(spill));
  SummaryBuilder& builder = *result.builder;
  result.takenUp = observer.start(result.manifest, result.limit, sampler,
                                  [&builder](const CampaignRow& row) { builder.add(row); });
  const std::uint64_t total = settled.endRun - settled.firstRun;
  std::uint64_t flown = 0;
  flyRuns(inputs.flight.history, sampler, settled, result.limit, drawOf(sampler),
          settled.firstRun + result.takenUp, jobs, observer, [&](const CampaignRow& row) {
            builder.add(row);
            observer.row(row);
            observer.progress(result.takenUp + ++flown, total);
          });
  result.flown = flown;
  result.stopped = result.takenUp + result.flown < total;
  result.summary = builder.finish();
  return result;
}

CampaignResult runCampaign(const CampaignInputs& inputs, const CampaignSettings& settings,
                           unsigned jobs, CampaignObserver& observer,
                           std::unique_ptr<ValueSpill> spill) {
  const DrawOf campaignDraws = [&settings](const Sampler& sampler) -> RunDraw {
    return [&sampler, &settings](std::uint64_t run) {
      CampaignRow row;
      row.run = run;
      row.values.resize(sampler.dispersions().size());
      sampler.draw(settings.seed, run, row.values);
      return row;
    };
  };
  return flyCampaign(inputs, settings, jobs, observer, std::move(spill), campaignDraws, 0);
}

}  // namespace ascent

// A campaign's run: the limit settled, the runs drawn, flown and delivered
// in run order, the summary (ascent/campaign.h).
#include <algorithm>
#include <limits>

#include "ascent/campaign.h"
#include "mission/hash.h"
#include "study/targeting.h"
#include "study/thread_pool.h"
#include "study/thrust_check.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The limit every run flies: the one given, or the one that brings the
// nominal vehicle to the target orbit at the turn time; none when retargeted.
CampaignLimit settleLimit(const StudyInputs& nominal, const CampaignSettings& settings) {
  CampaignLimit settled;
  if (settings.retarget) return settled;
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

// Flies the runs of `settings` from `firstRun` on the ordered thread pool;
// each is passed to `onRow` on the calling thread in run order. Returns the
// runs delivered.
std::uint64_t flyRuns(const ThrustHistory& history, const Sampler& sampler,
                      const CampaignSettings& settings, std::uint64_t firstRun, unsigned jobs,
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
        ring[i % slots] = flyCampaignRun(history, sampler, settings, firstRun + i);
      },
      [&](std::size_t i) { onRow(ring[i % slots]); }, stopOf(&observer), window);
}

}  // namespace

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
    row.targeting = target.verdict;
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
  m.retarget = settings.retarget;
  m.limit_deg = settings.retarget ? 0 : settings.limit_deg.value_or(0);
  m.target = settings.retarget ? searchSettingsText(settings.search) : "";
  m.columns = CampaignRowSchema(inputs.dispersions.dispersions).header();
  m.firstRun = settings.firstRun;
  m.endRun = settings.endRun;
  return m;
}

CampaignResult runCampaign(const CampaignInputs& inputs, const CampaignSettings& settings,
                           unsigned jobs, CampaignObserver& observer,
                           std::unique_ptr<ValueSpill> spill) {
  refuseSetting(settingsProblem(settings));
  refuseSetting(jobsProblem(jobs));
  const Sampler sampler(inputs.flight.vehicle, inputs.dispersions.dispersions,
                        inputs.dispersions.correlations);
  checkStudyInputs(inputs.flight, settings.turnTime_s, &observer, "the nominal vehicle");
  CampaignResult result;
  result.limit = settleLimit(inputs.flight, settings);
  if (result.limit.verdict != Verdict::Converged) return result;
  CampaignSettings settled = settings;
  if (!settled.retarget) settled.limit_deg = result.limit.limit_deg;
  result.manifest = describeCampaign(inputs, settled);
  result.builder = std::make_unique<SummaryBuilder>(settled, std::move(spill));
  SummaryBuilder& builder = *result.builder;
  result.takenUp = observer.start(result.manifest, result.limit, sampler,
                                  [&builder](const CampaignRow& row) { builder.add(row); });
  const std::uint64_t total = settled.endRun - settled.firstRun;
  std::uint64_t flown = 0;
  flyRuns(inputs.flight.history, sampler, settled, settled.firstRun + result.takenUp, jobs,
          observer, [&](const CampaignRow& row) {
            builder.add(row);
            observer.row(row);
            observer.progress(result.takenUp + ++flown, total);
          });
  result.flown = flown;
  result.stopped = result.takenUp + result.flown < total;
  result.summary = builder.finish();
  return result;
}

}  // namespace ascent

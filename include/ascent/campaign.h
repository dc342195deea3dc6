// The campaign study: the vehicle flown many times with its values drawn
// from distributions around the nominal ones (ascent/dispersion.h), and what
// the runs reached: success with propellant left, statistics of the outputs,
// the perigee-apogee ellipses, requirements verified by order statistics and
// the flight performance reserve.
//
// One run does it all: the limit settled (targeted on the nominal vehicle
// when none is given), the runs drawn and flown on the ordered thread pool,
// each delivered in run order, and the summary. The summary is a function of
// the rows alone, taken in run order, so a merged campaign and a single one
// give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascent/dispersion.h"
#include "ascent/requirements.h"
#include "ascent/study.h"

namespace ascent {

// The outputs of a run, in the order of the CSV columns.
enum class CampaignOutput {
  Perigee,
  Apogee,
  AverageAltitude,
  RemainingPropellant,
  BoosterResidual,
  SpacecraftMass,
  MaxDynamicPressure,
  MaxAcceleration,
  MaxForce,
  Limit,
};
constexpr std::size_t campaignOutputCount = 10;
// The CSV column name of an output: "perigee_m", ..., "limit_deg".
std::string_view campaignOutputName(CampaignOutput output);
// Every output's name, in column order: what a requirement may name.
std::span<const std::string_view> campaignOutputNames();

// Where a run of a sensitivity study's design is (ascent/sensitivity.h): its
// matrix ("A", "B", "AB1" ... for A with factor 1's values from B) and row.
struct DesignPoint {
  std::string matrix;
  std::uint64_t row = 0;
};

// One run of a campaign: what it drew and what it reached.
struct CampaignRow {
  std::uint64_t run = 0;
  std::optional<DesignPoint> design;  // a run of a sensitivity study's design
  std::vector<double> values;         // one per dispersion, in the key's unit
  FlightClass flightClass = FlightClass::Failed;
  std::string reason;  // abandoned or failed: why
  // The verdict of the targeting that set the run's limit (on the nominal
  // vehicle for fixed); none when the limit was given.
  std::optional<Verdict> targeting;
  // In flight: where the limit was decided, at booster separation; NaN for
  // the other guidances or a run that did not get there.
  double decisionTime_s = std::numeric_limits<double>::quiet_NaN();
  double decisionAltitude_m = std::numeric_limits<double>::quiet_NaN();
  double decisionSpeed_mps = std::numeric_limits<double>::quiet_NaN();
  // Set for a closed orbit (orbit, suborbital; the limit for every run that
  // flew a mission); NaN where there is none.
  double outputs[campaignOutputCount] = {};
};

// A run guided to the target orbit whose search could not bring it there
// (not converged, unreachable): its orbit, if any, is off target.
bool offTarget(const CampaignRow& row);
// A success: an orbit on target, whose boosters and upper stage burned no
// propellant they do not carry, with at least `minRemainingPropellant_kg`
// of propellant left.
bool campaignSuccess(const CampaignRow& row, double minRemainingPropellant_kg);

// What the guidance of a campaign's runs knows when it sets a run's limit
// (Pinson & Hanson, J. Spacecraft and Rockets 49(2), 2012: the flight
// performance reserve is that of runs guided on what is known and flown
// against everything). The flight after the decision always uses every draw.
enum class GuidanceMode {
  Fixed,         // one limit for every run: given, or targeted on the nominal vehicle
  BeforeLaunch,  // each run targeted on the nominal vehicle with the known draws put in
  InFlight,      // at booster separation a predictor flies the rest from the state
                 // reached, with the known draws, and targets the orbit
  Omniscient,    // each run targeted with every draw
};
// "fixed", "before_launch", "in_flight", "omniscient".
std::string_view guidanceName(GuidanceMode guidance);
std::span<const std::string_view> guidanceNames();
// The knowledge classes a guidance knows: a bit per Knowledge (1 << k).
constexpr unsigned knowsVehicle = 1u << static_cast<unsigned>(Knowledge::Vehicle);
constexpr unsigned knowsLaunchDay = 1u << static_cast<unsigned>(Knowledge::LaunchDay);
// "vehicle,launch_day"; "" for none.
std::string knownText(unsigned known);

struct CampaignSettings {
  std::uint64_t seed = 1;
  std::uint64_t firstRun = 0;  // runs firstRun <= i < endRun
  std::uint64_t endRun = 0;
  double turnTime_s = 0;
  GuidanceMode guidance = GuidanceMode::Fixed;
  // The knowledge classes before_launch and in_flight know (knowsVehicle,
  // knowsLaunchDay); the others ignore it.
  unsigned known = knowsVehicle | knowsLaunchDay;
  // The limit every run flies (fixed only); not given: the one that brings
  // the nominal vehicle to the target orbit.
  std::optional<double> limit_deg;
  SearchSettings search;  // for the nominal limit and every targeting
  double minimumPerigee_m = defaultMinimumPerigee_m;
  // How the summary judges the runs; the flights do not depend on these. A
  // run is a success when it reaches orbit with at least
  // minRemainingPropellant_kg of propellant left; requirements hold in
  // `probability` of the runs with `confidence`, which the flight
  // performance reserve is taken at too.
  double minRemainingPropellant_kg = 0;
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::vector<Requirement> requirements;
};
// The domain of the numbers of CampaignSettings: turn_time_s, limit_deg,
// min_remaining_propellant_kg (at least 0), probability and confidence
// (between 0 and 1, both excluded).
std::span<const SettingDomain<CampaignSettings>> campaignSettingsDomain();
// Why the runs first <= i < end hold no run ("the runs 5:5 hold no run (A:B
// holds the runs A to B-1)"); empty when they hold one.
std::string runsProblem(std::uint64_t firstRun, std::uint64_t endRun);
// The first rule of a campaign's settings that they break, in the words both
// doors use: the runs, the domains, a limit given with a guidance that targets, the
// search settings, a requirement on no output; empty when they keep every
// rule.
SettingProblem settingsProblem(const CampaignSettings& settings);
// The same for the numbers the summary judges by alone (the reserve, the
// probability and confidence, the requirements), as a merge takes them.
SettingProblem judgingProblem(const CampaignSettings& settings);

// How the limit of a campaign was settled.
struct CampaignLimit {
  bool targeted = false;  // targeted on the nominal vehicle
  Verdict verdict = Verdict::Converged;
  // Fixed: the limit every run flies; in flight: the predictor's first guess.
  double limit_deg = 0;
};
// "the nominal vehicle reaches no design orbit at turn time 150 s
// (unreachable)": why a campaign without a limit cannot be flown.
std::string nominalLimitProblem(double turnTime_s, Verdict verdict);

// How a campaign's summary judged its runs (no part of what identifies it):
// the manifest records it so that a page of the CSV restates the question.
struct CampaignJudging {
  double minRemainingPropellant_kg = 0;
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::vector<Requirement> requirements;
};
CampaignJudging judgingOf(const CampaignSettings& settings);
void judgeBy(CampaignSettings& settings, const CampaignJudging& judging);

// What identifies a campaign: the inputs and settings its rows depend on,
// written beside its CSV (the manifest) and at the head of its summary.
struct CampaignManifest {
  std::string program;  // "ascent 3.0.0"
  std::uint64_t seed = 0;
  std::string dispersionFile, dispersionHash;
  std::string vehicleFile, vehicleHash;  // vehicleFile empty: not read from a file
  std::string thrustFile, thrustHash;
  double turnTime_s = 0;
  GuidanceMode guidance = GuidanceMode::Fixed;
  unsigned known = knowsVehicle | knowsLaunchDay;  // before_launch, in_flight
  double limit_deg = 0;          // fixed: every run's; in_flight: the predictor's first guess
  std::string target;            // a guidance that targets: the search settings in words
  std::string predictor;         // in_flight: how the limit is decided in flight
  std::string columns;           // the CSV header, without its line end
  std::uint64_t designRows = 0;  // a sensitivity study's N; 0 for a campaign
  std::uint64_t firstRun = 0;    // the runs: firstRun <= i < endRun
  std::uint64_t endRun = 0;
  // None in a manifest written before the judging was recorded.
  std::optional<CampaignJudging> judging;
};
// The columns of a campaign's rows, as its CSV and the Python table have
// them: run, the drawn value of every dispersed key (named by the key, in
// its unit), outcome (flightClassName), reason (why a run reached no orbit),
// targeting (the verdict of the run's own targeting; empty when it flew a
// fixed limit), then the outputs (campaignOutputName; null where a run
// reached no closed orbit). The keys are the campaign's own, so the schema is
// built for one list of dispersions and holds their names.
class CampaignRowSchema {
 public:
  // Throws InputError for more than maxCampaignKeys dispersions. A design's
  // rows (a sensitivity study's) have their matrix and row after the run.
  explicit CampaignRowSchema(std::span<const Dispersion> dispersions, bool design = false);
  CampaignRowSchema(CampaignRowSchema&&) = default;
  CampaignRowSchema& operator=(CampaignRowSchema&&) = default;
  CampaignRowSchema(const CampaignRowSchema&) = delete;
  CampaignRowSchema& operator=(const CampaignRowSchema&) = delete;

  Schema<CampaignRow> fields() const { return fields_; }
  std::size_t keyCount() const { return keys_.size(); }
  bool design() const { return design_; }
  // The CSV header: the names joined by commas, without a line end.
  std::string header() const;

 private:
  // The fields' names point into these strings: a move keeps them in place.
  std::vector<std::string> keys_;
  std::vector<Field<CampaignRow>> fields_;
  bool design_ = false;
};

// Statistics of one output over the runs that reached orbit; NaN (null in
// JSON, "-" in text) when none did.
struct OutputStatistics {
  std::size_t count = 0;
  double mean = 0, standardDeviation = 0, min = 0, max = 0;
  // At 0.1, 1, 5, 50, 95, 99, 99.9 % (linear between order statistics).
  double percentiles[7] = {};
};
inline constexpr double summaryPercentiles[7] = {0.1, 1, 5, 50, 95, 99, 99.9};

// The k-sigma ellipse of perigee against apogee: every point at Mahalanobis
// distance k from the mean; NaN axes and angle when no run reached a closed
// orbit.
struct Ellipse {
  double sigmas = 0;
  double semiMajor_m = 0, semiMinor_m = 0;
  double angle_deg = 0;  // of the major axis from the perigee axis
};

// The propellant to add so that `probability` of the flights keep some, with
// `confidence`: the order-statistic lower bound of the remaining propellant
// over all runs (a run without an orbit, off target or with its boosters
// short of propellant counting as -infinity) is the margin.
struct FlightPerformanceReserve {
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::size_t order = 0;            // m of the bound; 0: too few runs
  std::optional<double> margin_kg;  // none: too few runs, or the m-th run reached no orbit
  std::optional<double> flightPerformanceReserve_kg;  // max(0, -margin)
};

struct CampaignSummary {
  std::size_t runs = 0;
  std::size_t byClass[5] = {};           // indexed by FlightClass
  double minRemainingPropellant_kg = 0;  // the propellant a success keeps at least
  std::size_t successes = 0;             // campaignSuccess
  std::size_t shortfalls = 0;            // orbits on target short of propellant or of the reserve
  std::size_t offTarget = 0;             // runs guided to the target and off it (orbits or not)
  std::size_t orbitsOffTarget = 0;       // of the orbits in the statistics
  double successShare = 0;               // successes / runs
  double wilsonLow = 0, wilsonHigh = 0;  // its 95 % interval
  OutputStatistics outputs[campaignOutputCount];  // over the orbits
  double meanPerigee_m = 0, meanApogee_m = 0;
  // Perigee variance, covariance, apogee variance, m^2; NaN without an orbit.
  double covariance[3] = {};
  Ellipse ellipses[3];  // 1, 2, 3 sigma
  std::vector<RequirementResult> requirements;
  FlightPerformanceReserve flightPerformanceReserve;
};

// A run with a closed orbit (an orbit or suborbital) as the charts draw it.
struct ChartedRun {
  double perigee_m = 0, apogee_m = 0, averageAltitude_m = 0, spacecraftMass_kg = 0;
  bool success = false;
};

// Where the summary keeps each column of values until it sorts and sums
// them: in memory by default; the command line and the Python module keep
// them in temporary files (ascent/campaign_store.h), so that only one column
// at a time is held in memory (two for the perigee-apogee covariance).
class ValueSpill {
 public:
  virtual ~ValueSpill() = default;
  virtual void append(std::size_t column, std::span<const double> values) = 0;
  // Every value appended to `column`, in order; the column stays open for more.
  virtual std::vector<double> read(std::size_t column) = 0;
};
// The columns in memory.
std::unique_ptr<ValueSpill> memorySpill(std::size_t columns);
// The columns the summary keeps: one per output, then the charted runs'.
constexpr std::size_t summarySpillColumns = campaignOutputCount + 5;

// Takes rows in run order and gives the summary: a mean is the correctly
// rounded sum divided by the count, a variance the correctly rounded sum of
// squared deviations from it divided by count - 1, so every statistic is
// what the CSV rows give by its definition, in any order. Each requirement
// keeps one value per run in memory, for its partial sort; the flight
// performance reserve is read off the sorted remaining propellant.
class SummaryBuilder {
 public:
  // Judged by the settings' reserve, probability, confidence and
  // requirements; throws InputError when they break a rule (judgingProblem).
  explicit SummaryBuilder(const CampaignSettings& settings,
                          std::unique_ptr<ValueSpill> spill = nullptr);

  void add(const CampaignRow& row);
  CampaignSummary finish();
  // The values of one output over the orbits, in run order.
  std::vector<double> column(CampaignOutput output);
  // The runs with a closed orbit, in run order.
  std::vector<ChartedRun> chartedRuns();

 private:
  CampaignSummary summary_;
  double probability_, confidence_;
  std::vector<Requirement> requirements_;
  std::vector<std::size_t> requirementOutputs_;  // the output each requirement reads
  // For each requirement one value per run: the output of an orbit, NaN
  // for a run without one; and every run's status (a success, an orbit that
  // is none, no orbit), in run order.
  std::vector<std::vector<double>> requirementValues_;
  std::vector<RunStatus> runStatus_;
  // Every run's remaining propellant for the flight performance reserve;
  // -infinity for a run that no propellant would mend.
  std::vector<double> margins_;
  std::unique_ptr<ValueSpill> spill_;
};

// What a campaign flies: the nominal vehicle and thrust history, and the
// dispersion file's keys.
struct CampaignInputs {
  StudyInputs flight;
  const DispersionFile& dispersions;
};

// Told of a campaign as it is flown.
class CampaignObserver : public StudyObserver {
 public:
  // The campaign is settled (its limit targeted on the nominal vehicle when
  // none was given) and about to fly. Rows of it flown before may be taken
  // up here, each passed to `add` in run order from the first run (a
  // resume); returns how many.
  virtual std::uint64_t start(const CampaignManifest& /*manifest*/, const CampaignLimit& /*limit*/,
                              const Sampler& /*sampler*/,
                              const std::function<void(const CampaignRow&)>& /*add*/) {
    return 0;
  }
  // Every run flown here, in run order.
  virtual void row(const CampaignRow& /*row*/) {}
};

struct CampaignResult {
  CampaignLimit limit;  // not converged: no run was flown
  CampaignManifest manifest;
  std::uint64_t takenUp = 0, flown = 0;  // rows taken up at the start, and flown
  bool stopped = false;                  // stopRequested() ended it before its last run
  CampaignSummary summary;               // of every row taken up and flown
  // The summary's builder, for charts of its columns (null when no run was flown).
  std::unique_ptr<SummaryBuilder> builder;
};

// Flies the campaign on `jobs` threads (0: the machine's cores). Throws
// InputError for settings outside their domains or breaking a rule, then
// ThrustFileError or VehicleError when the history or the nominal vehicle's
// values cannot be flown at the turn time, before any run. `spill` keeps
// the summary's columns (null: in memory).
CampaignResult runCampaign(const CampaignInputs& inputs, const CampaignSettings& settings,
                           unsigned jobs, CampaignObserver& observer,
                           std::unique_ptr<ValueSpill> spill = nullptr);

// Flies one run: its draws put into the nominal vehicle, its limit set by
// the guidance (`limit`: the settled one), flown at the turn time with
// every draw, classified.
CampaignRow flyCampaignRun(const ThrustHistory& history, const Sampler& sampler,
                           const CampaignSettings& settings, const CampaignLimit& limit,
                           std::uint64_t run);

// The identity of a campaign of `settings` (its limit settled) flown with
// these inputs: this program's version, the hashes of the dispersions, the
// nominal vehicle and the thrust history, the CSV's columns.
CampaignManifest describeCampaign(const CampaignInputs& inputs, const CampaignSettings& settings);

// The summary as `ascent dispersions --json` prints it and Python's
// to_dict() gives it: campaign (the manifest's program, seed, first_run,
// end_run, files, hashes, turn_time_s, guidance, limit_deg), runs, outcomes,
// success (share, wilson95, successes, propellant_shortfall,
// min_remaining_propellant_kg), outputs (per output over the orbits: count,
// mean, standard_deviation, min, max, percentiles), perigee_apogee (mean_m,
// covariance_m2, ellipses), requirements (requirementSchema of each),
// flight_performance_reserve (probability, confidence, order, margin_kg,
// flight_performance_reserve_kg).
Value campaignSummaryValue(const CampaignSummary& summary, const CampaignManifest& manifest);
// Its campaign block: what identifies the campaign.
Value campaignManifestValue(const CampaignManifest& manifest);

// Points of an ellipse of the summary in the perigee-apogee plane, m: its
// outline at `steps` + 1 angles from 0 to 2 pi (the last the first again),
// every ellipse turned by the angle of the one-sigma one.
std::vector<std::pair<double, double>> ellipseOutline(const CampaignSummary& summary,
                                                      const Ellipse& ellipse, int steps);

}  // namespace ascent

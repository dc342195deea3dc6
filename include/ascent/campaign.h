// Dispersion campaigns: the vehicle flown many times with its values drawn
// from distributions around the nominal ones, and what the runs reached.
//
// A run's draws are a pure function of (seed, run index, key): a counter-
// based generator (SplitMix64's finaliser over the three) gives each key of
// each run one uniform number, which the key's distribution maps to a value
// by its inverse distribution function. No generator state goes from one run
// to the next, so a run flown alone, any number of threads and any split of
// the runs into shards draw the same values; adding a key leaves the draws
// of the others as they were. Correlated keys are drawn through the Cholesky
// factor of their correlation matrix (a Gaussian copula: each key keeps its
// own distribution).
//
// The summary is a function of the rows alone, taken in run order, so a
// merged campaign and a single one give the same bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ascent/requirements.h"
#include "ascent/schema.h"
#include "ascent/study.h"

namespace ascent {

enum class Distribution {
  Normal,           // nominal + sigma * z
  Uniform,          // between nominal + lower and nominal + upper
  TruncatedNormal,  // normal, conditioned on lying between the bounds
};
// "normal", "uniform", "truncated_normal".
std::string_view distributionName(Distribution distribution);

// One dispersed vehicle key. Sigma and the bounds are offsets from the
// nominal value, in the key's unit or (relative) in percent of the nominal.
struct Dispersion {
  std::string key;  // a key of vehicleKeys()
  Distribution distribution = Distribution::Normal;
  double sigma = 0;  // normal, truncated normal
  double lower = 0;  // uniform, truncated normal
  double upper = 0;
  bool relative = false;
};

// A correlation coefficient between two dispersions (indices into the list).
struct Correlation {
  std::size_t first = 0;
  std::size_t second = 0;
  double coefficient = 0;
};

// The lower-triangular Cholesky factor L (row-major, n x n) of the symmetric
// matrix `a` with L * L^T = a; false when `a` is not positive definite, with
// `failedRow` the row where a pivot was not positive.
bool choleskyFactor(const std::vector<double>& a, std::size_t n, std::vector<double>& lower,
                    std::size_t& failedRow);

// The standard normal distribution function and its inverse (to about the
// last bit of a double over (0, 1)).
double normalCdf(double z);
double normalQuantile(double p);

// The counter-based generator: a uniform number in (0, 1), never 0 or 1,
// from (seed, run, key hash) alone.
double uniformDraw(std::uint64_t seed, std::uint64_t run, std::uint64_t keyHash);

// Draws the dispersed values of a run and puts them into a vehicle.
class Sampler {
 public:
  // Throws std::invalid_argument for an unknown key, a sigma <= 0, bounds
  // out of order, or correlations that are not positive definite (the file
  // reader reports these first, with their lines).
  Sampler(const Vehicle& nominal, std::vector<Dispersion> dispersions,
          std::vector<Correlation> correlations = {});

  const std::vector<Dispersion>& dispersions() const { return dispersions_; }
  // The value of every dispersion for run `run`, in the key's own unit.
  void draw(std::uint64_t seed, std::uint64_t run, std::span<double> values) const;
  // The nominal vehicle with these values put in.
  Vehicle apply(std::span<const double> values) const;

 private:
  Vehicle nominal_;
  std::vector<Dispersion> dispersions_;
  std::vector<Correlation> correlations_;
  std::vector<const VehicleKey*> keys_;
  std::vector<std::uint64_t> keyHashes_;
  std::vector<double> nominalValues_;
  std::vector<double> cholesky_;  // n x n, identity for keys without correlations
  std::vector<char> correlated_;  // keys that take part in a correlation
};

// The outputs of a run, in the order of the CSV columns.
enum class CampaignOutput {
  Perigee,
  Apogee,
  AverageAltitude,
  RemainingPropellant,
  SpacecraftMass,
  MaxDynamicPressure,
  MaxAcceleration,
  MaxForce,
  Limit,
};
constexpr std::size_t campaignOutputCount = 9;
// The CSV column name of an output: "perigee_m", ..., "limit_deg".
std::string_view campaignOutputName(CampaignOutput output);
// Every output's name, in column order: what a requirement may name.
std::span<const std::string_view> campaignOutputNames();
// Reads "OUTPUT>=VALUE" or "OUTPUT<=VALUE" of a campaign output (parseRequirement).
Requirement campaignRequirement(std::string_view text);

// One run of a campaign: what it drew and what it reached.
struct CampaignRow {
  std::uint64_t run = 0;
  std::vector<double> values;  // one per dispersion, in the key's unit
  FlightClass flightClass = FlightClass::Failed;
  std::string reason;  // abandoned or failed: why
  // Set for a closed orbit (orbit, suborbital; the limit for every run that
  // flew a mission); NaN where there is none.
  double outputs[campaignOutputCount] = {};
};

struct CampaignSettings {
  std::uint64_t seed = 1;
  std::uint64_t firstRun = 0;  // runs firstRun <= i < endRun
  std::uint64_t endRun = 0;
  double turnTime_s = 0;
  // The limit every run flies; not given: the one that brings the nominal
  // vehicle to the target orbit (settleCampaignLimit). Unused when retargeted.
  std::optional<double> limit_deg;
  bool retarget = false;  // target each run's orbit again at the turn time
  SearchSettings search;  // for the nominal limit and retargeting
  double minimumPerigee_m = defaultMinimumPerigee_m;
  unsigned jobs = 0;  // threads; 0: the machine's cores
  // How the summary judges the runs; the flights do not depend on these. A
  // run is a success when it reaches orbit with at least reserve_kg of
  // propellant left; requirements hold in `probability` of the runs with
  // `confidence`, which the flight performance reserve is taken at too.
  double minRemainingPropellant_kg = 0;
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::vector<Requirement> requirements;
};
// The domain of the numbers of CampaignSettings: turn_time_s, limit_deg,
// jobs (0, the machine's cores, is inside), reserve_kg (at least 0),
// probability and confidence (between 0 and 1, both excluded).
std::span<const SettingDomain<CampaignSettings>> campaignSettingsDomain();
// Reads a whole number of a campaign (`what`: "the seed", "the run") from
// its decimal digits, 0 to 2^64 - 1; the problem in the words both doors
// use ("'0x10' is not a whole number", "the seed -1 is outside 0 to
// 18446744073709551615"), empty when `value` holds it. Nothing is clamped
// or wrapped.
std::string campaignNumberProblem(std::string_view what, std::string_view text,
                                  std::uint64_t& value);
// Why the runs first <= i < end hold no run ("the runs 5:5 hold no run (A:B
// holds the runs A to B-1)"); empty when they hold one.
std::string runsProblem(std::uint64_t firstRun, std::uint64_t endRun);
// The first rule of a campaign's settings that they break, in the words both
// doors use: the runs, the domains, a limit given with retargeting, the
// target settings; empty when they keep every rule. runCampaign and
// settleCampaignLimit refuse such settings with std::invalid_argument.
std::string campaignSettingsProblem(const CampaignSettings& settings);

// How the limit of a campaign was settled.
struct CampaignLimit {
  bool targeted = false;  // targeted on the nominal vehicle
  Verdict verdict = Verdict::Converged;
};
// Sets the limit every run flies when none is given and the runs are not
// retargeted: the one that brings the nominal vehicle to the target orbit at
// the turn time. A verdict other than converged leaves the limit unset.
// Throws std::invalid_argument (campaignSettingsProblem), then
// ThrustFileError or VehicleError when the history or the nominal vehicle's
// values cannot be flown at the turn time.
CampaignLimit settleCampaignLimit(const ThrustHistory& history, const Vehicle& nominal,
                                  CampaignSettings& settings);
// "the nominal vehicle reaches no design orbit at turn time 150 s
// (unreachable)": why a campaign without a limit cannot be flown.
std::string nominalLimitProblem(double turnTime_s, Verdict verdict);

// Flies one run: its draws put into the nominal vehicle, flown at the turn
// time and limit (or retargeted), classified.
CampaignRow flyCampaignRun(const ThrustHistory& history, const Sampler& sampler,
                           const CampaignSettings& settings, std::uint64_t run);

// Flies the runs of the settings on the ordered thread pool; `onRow` is
// called on the calling thread for every run in run order; `stop`, checked
// before each run starts, ends the campaign early with every run started
// delivered. Returns the runs delivered.
std::size_t runCampaign(const ThrustHistory& history, const Sampler& sampler,
                        const CampaignSettings& settings,
                        const std::function<void(const CampaignRow&)>& onRow,
                        const std::function<bool()>& stop = {});

// The most keys one campaign disperses (more than the vehicle has).
constexpr std::size_t maxCampaignKeys = 256;

// The columns of a campaign's rows, as its CSV and the Python table have
// them: run, the drawn value of every dispersed key (named by the key, in
// its unit), outcome (flightClassName), reason (why a run reached no orbit
// or missed its target), then the outputs (campaignOutputName; null where a run
// reached no closed orbit). The keys are the campaign's own, so the schema is
// built for one list of dispersions and holds their names.
class CampaignRowSchema {
 public:
  // Throws std::invalid_argument for more than maxCampaignKeys dispersions.
  explicit CampaignRowSchema(std::span<const Dispersion> dispersions);
  CampaignRowSchema(CampaignRowSchema&&) = default;
  CampaignRowSchema& operator=(CampaignRowSchema&&) = default;
  CampaignRowSchema(const CampaignRowSchema&) = delete;
  CampaignRowSchema& operator=(const CampaignRowSchema&) = delete;

  Schema<CampaignRow> fields() const { return fields_; }
  std::size_t keyCount() const { return keys_.size(); }

 private:
  // The fields' names point into these strings: a move keeps them in place.
  std::vector<std::string> keys_;
  std::vector<Field<CampaignRow>> fields_;
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
// over all runs (a run without an orbit counting as -infinity) is the margin.
struct FlightPerformanceReserve {
  double probability = defaultRequirementProbability;
  double confidence = defaultRequirementConfidence;
  std::size_t order = 0;            // m of the bound; 0: too few runs
  std::optional<double> margin_kg;  // none: too few runs, or the m-th run reached no orbit
  std::optional<double> flightPerformanceReserve_kg;  // max(0, -margin)
};

struct CampaignSummary {
  std::size_t runs = 0;
  std::size_t byClass[5] = {};                    // indexed by FlightClass
  double minRemainingPropellant_kg = 0;           // the propellant a success keeps at least
  std::size_t successes = 0;                      // orbits with at least reserve_kg left
  std::size_t shortfalls = 0;                     // orbits with less
  double successShare = 0;                        // successes / runs
  double wilsonLow = 0, wilsonHigh = 0;           // its 95 % interval
  OutputStatistics outputs[campaignOutputCount];  // over the orbits
  double meanPerigee_m = 0, meanApogee_m = 0;
  // Perigee variance, covariance, apogee variance, m^2; NaN without an orbit.
  double covariance[3] = {};
  Ellipse ellipses[3];  // 1, 2, 3 sigma
  std::vector<RequirementResult> requirements;
  FlightPerformanceReserve flightPerformanceReserve;
};

// The value at `percent` of sorted values, linear between order statistics.
double percentileOf(std::span<const double> sorted, double percent);

// A run with a closed orbit (an orbit or suborbital) as the charts draw it.
struct ChartedRun {
  double perigee_m = 0, apogee_m = 0, averageAltitude_m = 0, spacecraftMass_kg = 0;
  bool success = false;
};

// The Wilson score interval of k successes in n trials at the normal
// quantile z (1.959963984540054 for 95 %).
void wilsonInterval(std::size_t k, std::size_t n, double z, double& low, double& high);

// Takes rows in run order and gives the summary. Each output's values are
// kept in an unnamed temporary file, so that only one column at a time is
// held in memory (two for the perigee-apogee covariance) to be sorted and
// summed: a mean is the correctly rounded sum divided by the count, a
// variance the correctly rounded sum of squared deviations from it divided
// by count - 1, so every statistic is what the CSV rows give by its
// definition, in any order.
// Each requirement keeps one value per run in memory, for its partial sort;
// the flight performance reserve is read off the sorted remaining propellant.
class SummaryBuilder {
 public:
  SummaryBuilder();
  // Judged by the settings' reserve, probability, confidence and requirements.
  explicit SummaryBuilder(const CampaignSettings& settings);
  ~SummaryBuilder();
  SummaryBuilder(const SummaryBuilder&) = delete;
  SummaryBuilder& operator=(const SummaryBuilder&) = delete;

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
  std::vector<std::size_t> requirementOutputs_;         // the output each requirement reads
  std::vector<std::vector<double>> requirementValues_;  // one per run, NaN: not a success
  std::FILE* columns_[campaignOutputCount] = {};
  std::FILE* charted_ = nullptr;
  void closeFiles();
};

// What identifies a campaign: the inputs and settings its rows depend on,
// written beside its CSV (the manifest) and at the head of its summary.
struct CampaignManifest {
  std::string program;  // "ascent 2.0.0"
  std::uint64_t seed = 0;
  std::string dispersionFile, dispersionHash;
  std::string vehicleFile, vehicleHash;  // vehicleFile empty: not read from a file
  std::string thrustFile, thrustHash;
  double turnTime_s = 0;
  bool retarget = false;
  double limit_deg = 0;        // the limit every run flies (not retargeted)
  std::string target;          // retargeted: the targeting settings in words
  std::string columns;         // the CSV header, without its line end
  std::uint64_t firstRun = 0;  // the runs: firstRun <= i < endRun
  std::uint64_t endRun = 0;
};
// "limit" or "retarget".
std::string_view guidanceName(bool retarget);
// "altitude 200 km, tolerance 0.1 km, 25 missions, first guess 25 deg".
std::string targetSettingsText(const SearchSettings& settings);

// The summary as `ascent dispersions --json` prints it and Python's
// to_dict() gives it: campaign (the manifest's program, seed, first_run,
// end_run, files, hashes, turn_time_s, guidance, limit_deg), runs, outcomes,
// success (probability, wilson95, successes, propellant_shortfall,
// reserve_kg), outputs (per output over the orbits: count, mean,
// standard_deviation, min, max, percentiles), perigee_apogee (mean_m,
// covariance_m2, ellipses), requirements (requirementValue of each),
// flight_performance_reserve (probability, confidence, margin_kg, reserve_kg).
Value campaignSummaryValue(const CampaignSummary& summary, const CampaignManifest& manifest);

// Points of an ellipse of the summary in the perigee-apogee plane, m: its
// outline at `steps` + 1 angles from 0 to 2 pi (the last the first again),
// every ellipse turned by the angle of the one-sigma one.
std::vector<std::pair<double, double>> ellipseOutline(const CampaignSummary& summary,
                                                      const Ellipse& ellipse, int steps);

}  // namespace ascent

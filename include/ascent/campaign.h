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
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
  double limitDeg = 0;    // every run's limit, unless retargeted
  bool retarget = false;  // target each run's orbit again at the turn time
  TargetSettings target;  // for retargeting
  double minimumPerigee_m = defaultMinimumPerigee_m;
  unsigned jobs = 0;  // 0: the machine's cores
};

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

// Statistics of one output over the runs that reached a closed orbit.
struct OutputStatistics {
  std::size_t count = 0;
  double mean = 0, standardDeviation = 0, min = 0, max = 0;
  // At 0.1, 1, 5, 50, 95, 99, 99.9 % (linear between order statistics).
  double percentiles[7] = {};
};
inline constexpr double summaryPercentiles[7] = {0.1, 1, 5, 50, 95, 99, 99.9};

// The k-sigma ellipse of perigee against apogee: every point at Mahalanobis
// distance k from the mean.
struct Ellipse {
  double sigmas = 0;
  double semiMajor_m = 0, semiMinor_m = 0;
  double angleDeg = 0;  // of the major axis from the perigee axis
};

struct CampaignSummary {
  std::size_t runs = 0;
  std::size_t byClass[5] = {};           // indexed by FlightClass
  double successProbability = 0;         // orbit / runs
  double wilsonLow = 0, wilsonHigh = 0;  // its 95 % interval
  OutputStatistics outputs[campaignOutputCount];
  double meanPerigee_m = 0, meanApogee_m = 0;
  double covariance[3] = {};  // perigee variance, covariance, apogee variance, m^2
  Ellipse ellipses[3];        // 1, 2, 3 sigma
};

// The Wilson score interval of k successes in n trials at the normal
// quantile z (1.959963984540054 for 95 %).
void wilsonInterval(std::size_t k, std::size_t n, double z, double& low, double& high);

// Takes rows in run order and gives the summary. Sums are Welford's running
// ones in row order; each output's values are kept in an unnamed temporary
// file, so that only one column at a time is held in memory to be sorted.
class SummaryBuilder {
 public:
  SummaryBuilder();
  ~SummaryBuilder();
  SummaryBuilder(const SummaryBuilder&) = delete;
  SummaryBuilder& operator=(const SummaryBuilder&) = delete;

  void add(const CampaignRow& row);
  CampaignSummary finish();
  // The values of one output over the closed orbits, in run order.
  std::vector<double> column(CampaignOutput output);

 private:
  CampaignSummary summary_;
  double mean_[campaignOutputCount] = {}, m2_[campaignOutputCount] = {};
  double coMoment_ = 0;  // perigee-apogee
  std::FILE* columns_[campaignOutputCount] = {};
};

}  // namespace ascent

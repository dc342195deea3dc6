// Dispersion campaigns: draws, runs and their summary (ascent/campaign.h).
#include "ascent/campaign.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "physics/constants.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// SplitMix64's finaliser: a bijection of 64-bit words that mixes every input
// bit into every output bit.
std::uint64_t mix(std::uint64_t z) {
  z += 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

std::string_view distributionName(Distribution distribution) {
  switch (distribution) {
    case Distribution::Normal:
      return "normal";
    case Distribution::Uniform:
      return "uniform";
    case Distribution::TruncatedNormal:
      break;
  }
  return "truncated_normal";
}

std::string_view campaignOutputName(CampaignOutput output) {
  switch (output) {
    case CampaignOutput::Perigee:
      return "perigee_m";
    case CampaignOutput::Apogee:
      return "apogee_m";
    case CampaignOutput::AverageAltitude:
      return "average_altitude_m";
    case CampaignOutput::RemainingPropellant:
      return "remaining_propellant_kg";
    case CampaignOutput::SpacecraftMass:
      return "SC_M_kg";
    case CampaignOutput::MaxDynamicPressure:
      return "max_dynamic_pressure_Pa";
    case CampaignOutput::MaxAcceleration:
      return "max_acceleration_mps2";
    case CampaignOutput::MaxForce:
      return "max_force_N";
    case CampaignOutput::Limit:
      break;
  }
  return "limit_deg";
}

bool choleskyFactor(const std::vector<double>& a, std::size_t n, std::vector<double>& lower,
                    std::size_t& failedRow) {
  lower.assign(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double sum = a[i * n + j];
      for (std::size_t k = 0; k < j; ++k) sum -= lower[i * n + k] * lower[j * n + k];
      if (i == j) {
        if (!(sum > 0)) {
          failedRow = i;
          return false;
        }
        lower[i * n + i] = std::sqrt(sum);
      } else {
        lower[i * n + j] = sum / lower[j * n + j];
      }
    }
  }
  return true;
}

double normalCdf(double z) {
  return 0.5 * std::erfc(-z / std::numbers::sqrt2);
}

// Acklam's rational approximation (relative error 1.15e-9), then one step of
// Halley's method on the distribution function, which brings it to about
// the precision of erfc.
double normalQuantile(double p) {
  if (!(p > 0)) return -std::numeric_limits<double>::infinity();
  if (!(p < 1)) return std::numeric_limits<double>::infinity();
  constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                          1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
  constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                          6.680131188771972e+01, -1.328068155288572e+01};
  constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                          -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
  constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                          3.754408661907416e+00};
  constexpr double low = 0.02425;
  double x;
  if (p < low || p > 1 - low) {
    const double q = std::sqrt(-2 * std::log(p < low ? p : 1 - p));
    x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
        ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
    if (p > 1 - low) x = -x;
  } else {
    const double q = p - 0.5;
    const double r = q * q;
    x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
        (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
  }
  // Halley: e = Phi(x) - p, u = e / phi(x).
  // Above one half, Phi(x) - p = (1 - p) - Phi(-x), where 1 - p is exact.
  const double e = p > 0.5 ? (1 - p) - normalCdf(-x) : normalCdf(x) - p;
  const double u = e * std::sqrt(2 * std::numbers::pi) * std::exp(x * x / 2);
  return x - u / (1 + x * u / 2);
}

double uniformDraw(std::uint64_t seed, std::uint64_t run, std::uint64_t keyHash) {
  const std::uint64_t bits = mix(mix(mix(seed) ^ run) ^ keyHash);
  // 53 bits, centred in their interval: never 0, never 1.
  return (static_cast<double>(bits >> 11) + 0.5) * 0x1p-53;
}

Sampler::Sampler(const Vehicle& nominal, std::vector<Dispersion> dispersions,
                 std::vector<Correlation> correlations)
    : nominal_(nominal),
      dispersions_(std::move(dispersions)),
      correlations_(std::move(correlations)) {
  const std::size_t n = dispersions_.size();
  for (const Dispersion& d : dispersions_) {
    const VehicleKey* key = findVehicleKey(d.key);
    if (key == nullptr) throw std::invalid_argument("unknown vehicle key " + d.key);
    const bool usesSigma = d.distribution != Distribution::Uniform;
    const bool usesBounds = d.distribution != Distribution::Normal;
    if (usesSigma && !(d.sigma > 0 && std::isfinite(d.sigma))) {
      throw std::invalid_argument(d.key + ": sigma must be a positive number");
    }
    if (usesBounds && !(d.lower < d.upper && std::isfinite(d.lower) && std::isfinite(d.upper))) {
      throw std::invalid_argument(d.key + ": the bounds must be two numbers, lower < upper");
    }
    keys_.push_back(key);
    keyHashes_.push_back(fnv1a(d.key));
    nominalValues_.push_back(key->get(nominal_));
  }
  std::vector<double> matrix(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) matrix[i * n + i] = 1;
  correlated_.assign(n, 0);
  for (const Correlation& c : correlations_) {
    if (c.first >= n || c.second >= n || c.first == c.second || !(std::fabs(c.coefficient) <= 1)) {
      throw std::invalid_argument("a correlation needs two different keys and |coefficient| <= 1");
    }
    matrix[c.first * n + c.second] = matrix[c.second * n + c.first] = c.coefficient;
    correlated_[c.first] = correlated_[c.second] = 1;
  }
  std::size_t failedRow = 0;
  if (!choleskyFactor(matrix, n, cholesky_, failedRow)) {
    throw std::invalid_argument("the correlation matrix is not positive definite (at " +
                                dispersions_[failedRow].key + ")");
  }
}

void Sampler::draw(std::uint64_t seed, std::uint64_t run, std::span<double> values) const {
  const std::size_t n = dispersions_.size();
  // One uniform number per key; correlated keys through L * z, back to uniform.
  double uniform[64];
  double normal[64];
  std::vector<double> uniformHeap, normalHeap;
  double* u = uniform;
  double* z = normal;
  if (n > 64) {
    uniformHeap.resize(n);
    normalHeap.resize(n);
    u = uniformHeap.data();
    z = normalHeap.data();
  }
  for (std::size_t i = 0; i < n; ++i) u[i] = uniformDraw(seed, run, keyHashes_[i]);
  const bool anyCorrelated = !correlations_.empty();
  if (anyCorrelated) {
    for (std::size_t i = 0; i < n; ++i) z[i] = correlated_[i] ? normalQuantile(u[i]) : 0;
    for (std::size_t i = n; i-- > 0;) {
      if (!correlated_[i]) continue;
      double sum = 0;
      for (std::size_t k = 0; k <= i; ++k) sum += cholesky_[i * n + k] * z[k];
      z[i] = sum;
      u[i] = normalCdf(sum);
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const Dispersion& d = dispersions_[i];
    double offset = 0;
    switch (d.distribution) {
      case Distribution::Normal:
        offset = d.sigma * (anyCorrelated && correlated_[i] ? z[i] : normalQuantile(u[i]));
        break;
      case Distribution::Uniform:
        offset = d.lower + (d.upper - d.lower) * u[i];
        break;
      case Distribution::TruncatedNormal: {
        // The inverse distribution function between the bounds, on the side
        // of the mean where the tail probabilities keep their digits.
        const double alpha = d.lower / d.sigma, beta = d.upper / d.sigma;
        double x;
        if (alpha >= 0) {
          const double qa = normalCdf(-alpha), qb = normalCdf(-beta);
          x = -normalQuantile(qa - u[i] * (qa - qb));
        } else {
          const double pa = normalCdf(alpha), pb = normalCdf(beta);
          x = normalQuantile(pa + u[i] * (pb - pa));
        }
        offset = d.sigma * std::clamp(x, alpha, beta);
        break;
      }
    }
    values[i] = d.relative ? nominalValues_[i] + nominalValues_[i] * (offset / 100)
                           : nominalValues_[i] + offset;
  }
}

Vehicle Sampler::apply(std::span<const double> values) const {
  Vehicle vehicle = nominal_;
  for (std::size_t i = 0; i < keys_.size(); ++i) keys_[i]->set(vehicle, values[i]);
  return vehicle;
}

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
    target = targetTurnTime(history, vehicle, settings.turnTime_s, settings.target);
    mission = target.answer();
    // An orbit that the search did not bring to the target says so.
    if (target.verdict != Verdict::Converged) row.reason = verdictName(target.verdict);
    if (mission == nullptr && !target.missions.empty()) mission = &target.missions.back();
    if (mission == nullptr) {
      row.flightClass = FlightClass::Failed;
      row.reason = "no mission flown";
      return row;
    }
  } else {
    RunRecord record;
    flown = flyMission(history, vehicle, settings.turnTime_s, settings.limitDeg, record);
  }
  const MissionResult& m = *mission;
  row.flightClass = classifyFlight(m, settings.minimumPerigee_m);
  row.outputs[static_cast<std::size_t>(CampaignOutput::Limit)] = m.limitDeg;
  switch (row.flightClass) {
    case FlightClass::Orbit:
    case FlightClass::Suborbital: {
      const double outputs[] = {m.perigee_m,
                                m.apogee_m,
                                m.averageAltitude_m,
                                m.remainingPropellant_kg,
                                m.sizing.SC_M,
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

std::size_t runCampaign(const ThrustHistory& history, const Sampler& sampler,
                        const CampaignSettings& settings,
                        const std::function<void(const CampaignRow&)>& onRow,
                        const std::function<bool()>& stop) {
  const std::size_t count =
      settings.endRun > settings.firstRun ? settings.endRun - settings.firstRun : 0;
  // Runs in flight wait in a ring: the pool never starts run i before run
  // i - slots is delivered, so its slot is free. The pool widens the window
  // asked for to its thread count, and the ring follows.
  constexpr std::size_t window = 1024;
  const std::size_t slots = runWindow(count, settings.jobs, window);
  std::vector<CampaignRow> ring(std::min(count, slots));
  return runInOrder(
      count, settings.jobs,
      [&](std::size_t i) {
        ring[i % slots] = flyCampaignRun(history, sampler, settings, settings.firstRun + i);
      },
      [&](std::size_t i) { onRow(ring[i % slots]); }, stop, window);
}

void wilsonInterval(std::size_t k, std::size_t n, double z, double& low, double& high) {
  if (n == 0) {
    low = 0;
    high = 1;
    return;
  }
  const double trials = static_cast<double>(n);
  const double p = static_cast<double>(k) / trials;
  const double z2 = z * z;
  const double denominator = 1 + z2 / trials;
  const double centre = (p + z2 / (2 * trials)) / denominator;
  const double half =
      z / denominator * std::sqrt(p * (1 - p) / trials + z2 / (4 * trials * trials));
  low = std::max(0.0, centre - half);
  high = std::min(1.0, centre + half);
}

SummaryBuilder::SummaryBuilder() {
  for (std::FILE*& column : columns_) {
    column = std::tmpfile();
    if (column == nullptr) {
      throw Error(errno != 0 ? errno : EIO, "cannot create a temporary file for the summary");
    }
  }
}

SummaryBuilder::~SummaryBuilder() {
  for (std::FILE* column : columns_) {
    if (column != nullptr) std::fclose(column);
  }
}

void SummaryBuilder::add(const CampaignRow& row) {
  ++summary_.runs;
  ++summary_.byClass[static_cast<std::size_t>(row.flightClass)];
  if (row.flightClass != FlightClass::Orbit && row.flightClass != FlightClass::Suborbital) return;
  constexpr std::size_t p = static_cast<std::size_t>(CampaignOutput::Perigee);
  constexpr std::size_t a = static_cast<std::size_t>(CampaignOutput::Apogee);
  const double perigeeMeanBefore = mean_[p];
  // Welford's running mean and sum of squared deviations, in run order.
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const double x = row.outputs[k];
    if (!std::isfinite(x)) continue;
    OutputStatistics& s = summary_.outputs[k];
    ++s.count;
    const double delta = x - mean_[k];
    mean_[k] += delta / static_cast<double>(s.count);
    m2_[k] += delta * (x - mean_[k]);
    if (std::fwrite(&x, sizeof x, 1, columns_[k]) != 1) {
      throw Error(errno != 0 ? errno : EIO, "cannot write a temporary file for the summary");
    }
  }
  // The perigee-apogee co-moment the same way (both are finite in a closed orbit).
  coMoment_ += (row.outputs[p] - perigeeMeanBefore) * (row.outputs[a] - mean_[a]);
}

std::vector<double> SummaryBuilder::column(CampaignOutput output) {
  const std::size_t k = static_cast<std::size_t>(output);
  std::vector<double> values(summary_.outputs[k].count);
  std::FILE* file = columns_[k];
  if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
      std::fread(values.data(), sizeof(double), values.size(), file) != values.size() ||
      std::fseek(file, 0, SEEK_END) != 0) {
    throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
  }
  return values;
}

CampaignSummary SummaryBuilder::finish() {
  CampaignSummary summary = summary_;
  const std::size_t orbits = summary.byClass[static_cast<std::size_t>(FlightClass::Orbit)];
  summary.successProbability =
      summary.runs > 0 ? static_cast<double>(orbits) / static_cast<double>(summary.runs) : 0;
  wilsonInterval(orbits, summary.runs, 1.959963984540054, summary.wilsonLow, summary.wilsonHigh);
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    OutputStatistics& s = summary.outputs[k];
    if (s.count == 0) {
      s.mean = s.standardDeviation = s.min = s.max = notANumber;
      std::fill(std::begin(s.percentiles), std::end(s.percentiles), notANumber);
      continue;
    }
    s.mean = mean_[k];
    s.standardDeviation = s.count > 1 ? std::sqrt(m2_[k] / static_cast<double>(s.count - 1)) : 0;
    // One column at a time in memory.
    std::vector<double> values = column(static_cast<CampaignOutput>(k));
    std::sort(values.begin(), values.end());
    s.min = values.front();
    s.max = values.back();
    for (std::size_t j = 0; j < std::size(summaryPercentiles); ++j) {
      const double h = static_cast<double>(values.size() - 1) * (summaryPercentiles[j] / 100);
      const std::size_t below = static_cast<std::size_t>(std::floor(h));
      const std::size_t above = std::min(below + 1, values.size() - 1);
      s.percentiles[j] =
          values[below] + (h - static_cast<double>(below)) * (values[above] - values[below]);
    }
  }
  constexpr std::size_t p = static_cast<std::size_t>(CampaignOutput::Perigee);
  constexpr std::size_t a = static_cast<std::size_t>(CampaignOutput::Apogee);
  summary.meanPerigee_m = summary.outputs[p].mean;
  summary.meanApogee_m = summary.outputs[a].mean;
  const std::size_t n = summary.outputs[p].count;
  const double dof = n > 1 ? static_cast<double>(n - 1) : 1;
  summary.covariance[0] = n > 1 ? m2_[p] / dof : 0;
  summary.covariance[1] = n > 1 ? coMoment_ / dof : 0;
  summary.covariance[2] = n > 1 ? m2_[a] / dof : 0;
  // The eigenvalues of the 2 x 2 covariance give the squared semi-axes of the
  // one-sigma ellipse; k sigmas scale them by k.
  const double varP = summary.covariance[0], cov = summary.covariance[1],
               varA = summary.covariance[2];
  const double halfTrace = (varP + varA) / 2;
  const double root = std::hypot((varP - varA) / 2, cov);
  const double major = halfTrace + root, minor = std::max(0.0, halfTrace - root);
  const double angleDeg = toDegrees(0.5 * std::atan2(2 * cov, varP - varA));
  for (int k = 0; k < 3; ++k) {
    Ellipse& e = summary.ellipses[k];
    e.sigmas = k + 1;
    e.semiMajor_m = e.sigmas * std::sqrt(major);
    e.semiMinor_m = e.sigmas * std::sqrt(minor);
    e.angleDeg = angleDeg;
  }
  return summary;
}

}  // namespace ascent

// The draws of a dispersion campaign (ascent/dispersion.h): the counter-based
// generator, the normal distribution and its inverse, the Cholesky factor of
// the correlations, and the sampler that puts a run's values into a vehicle.
#include "study/campaign/draws.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "ascent/dispersion.h"
#include "ascent/errors.h"
#include "mission/hash.h"

namespace ascent {

namespace {

// SplitMix64's finaliser: a bijection of 64-bit words that mixes every input
// bit into every output bit.
std::uint64_t mix(std::uint64_t z) {
  z += 0x9e3779b97f4a7c15ULL;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

namespace {

constexpr std::string_view knowledgeWords[] = {"vehicle", "launch_day", "unknown"};

}  // namespace

std::string_view knowledgeName(Knowledge knowledge) {
  return knowledgeWords[static_cast<std::size_t>(knowledge)];
}

std::span<const std::string_view> knowledgeNames() {
  return knowledgeWords;
}

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

double uniformDraw(std::uint64_t seed, std::uint64_t counter, std::uint64_t keyHash) {
  const std::uint64_t bits = mix(mix(mix(seed) ^ counter) ^ keyHash);
  // 53 bits, centred in their interval: never 0, never 1.
  return (static_cast<double>(bits >> 11) + 0.5) * 0x1p-53;
}

Sampler::Sampler(const Vehicle& nominal, std::vector<Dispersion> dispersions,
                 std::vector<Correlation> correlations)
    : nominal_(nominal),
      dispersions_(std::move(dispersions)),
      correlations_(std::move(correlations)) {
  const std::size_t n = dispersions_.size();
  if (n > maxCampaignKeys) {
    throw InputError({"a campaign disperses at most " + std::to_string(maxCampaignKeys) + " keys"});
  }
  for (const Dispersion& d : dispersions_) {
    const VehicleKey* key = findVehicleKey(d.key);
    if (key == nullptr) throw InputError({"unknown vehicle key " + d.key});
    if (const std::string_view relation = refusedAloneRelation(d.key); !relation.empty()) {
      throw InputError({d.key + " follows from " + std::string(relation) + " and cannot be drawn"});
    }
    const bool usesSigma = d.distribution != Distribution::Uniform;
    const bool usesBounds = d.distribution != Distribution::Normal;
    if (usesSigma && !(d.sigma > 0 && std::isfinite(d.sigma))) {
      throw InputError({d.key + ": sigma must be a positive number"});
    }
    if (usesBounds && !(d.lower < d.upper && std::isfinite(d.lower) && std::isfinite(d.upper))) {
      throw InputError({d.key + ": the bounds must be two numbers, lower < upper"});
    }
    keys_.push_back(key);
    names_.push_back(d.key);
    keyHashes_.push_back(fnv1a(d.key));
    nominalValues_.push_back(key->get(nominal_));
  }
  std::vector<double> matrix(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) matrix[i * n + i] = 1;
  correlated_.assign(n, 0);
  for (const Correlation& c : correlations_) {
    if (c.first >= n || c.second >= n || c.first == c.second || !(std::fabs(c.coefficient) <= 1)) {
      throw InputError({"a correlation needs two different keys and |coefficient| <= 1"});
    }
    matrix[c.first * n + c.second] = matrix[c.second * n + c.first] = c.coefficient;
    correlated_[c.first] = correlated_[c.second] = 1;
  }
  std::size_t failedRow = 0;
  if (!choleskyFactor(matrix, n, cholesky_, failedRow)) {
    throw InputError({"the correlation matrix is not positive definite (at " +
                      dispersions_[failedRow].key + ")"});
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

Vehicle Sampler::applyKnown(std::span<const double> values, unsigned known) const {
  Vehicle vehicle = nominal_;
  std::vector<std::string> given;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if ((known & (1u << static_cast<unsigned>(dispersions_[i].known))) != 0) {
      keys_[i]->set(vehicle, values[i]);
      given.push_back(names_[i]);
    }
  }
  // What follows from the known keys moves with them, as in apply().
  deriveVehicleKeys(nominal_, vehicle, given);
  return vehicle;
}

Vehicle Sampler::apply(std::span<const double> values) const {
  Vehicle vehicle = nominal_;
  for (std::size_t i = 0; i < keys_.size(); ++i) keys_[i]->set(vehicle, values[i]);
  // As a vehicle file giving the drawn values would have it: a drawn upper
  // stage moves the stack above the core and the mass above the load path.
  deriveVehicleKeys(nominal_, vehicle, names_);
  return vehicle;
}

}  // namespace ascent

// The dispersions of a campaign: the vehicle keys drawn around their nominal
// values, how each is distributed, how they are correlated, and the sampler
// that draws a run's values.
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
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ascent/vehicle.h"

namespace ascent {

enum class Distribution {
  Normal,           // nominal + sigma * z
  Uniform,          // between nominal + lower and nominal + upper
  TruncatedNormal,  // normal, conditioned on lying between the bounds
};
// "normal", "uniform", "truncated_normal".
std::string_view distributionName(Distribution distribution);

// When a dispersed value is known (Hanson & Beard, NASA/TP-2010-216447):
// measured on each assembled vehicle (stage masses, loaded propellant),
// known on the day of launch, or unknown until flight (the thrust and
// exhaust velocity the engines will give).
enum class Knowledge { Vehicle, LaunchDay, Unknown };
// "vehicle", "launch_day", "unknown".
std::string_view knowledgeName(Knowledge knowledge);
// Every knowledge's name, in order: what a dispersion file may write.
std::span<const std::string_view> knowledgeNames();

// One dispersed vehicle key. Sigma and the bounds are offsets from the
// nominal value, in the key's unit or (relative) in percent of the nominal.
struct Dispersion {
  std::string key;  // a key of vehicleKeys()
  Distribution distribution = Distribution::Normal;
  double sigma = 0;  // normal, truncated normal
  double lower = 0;  // uniform, truncated normal
  double upper = 0;
  bool relative = false;
  Knowledge known = Knowledge::Unknown;
};

// A correlation coefficient between two dispersions (indices into the list).
struct Correlation {
  std::size_t first = 0;
  std::size_t second = 0;
  double coefficient = 0;
};

// The most keys one campaign disperses (more than the vehicle has).
constexpr std::size_t maxCampaignKeys = 256;

// What a dispersion file holds (ascent/files.h reads one).
struct DispersionFile {
  std::string path;
  std::vector<Dispersion> dispersions;
  std::vector<Correlation> correlations;
  std::string hash;  // of the dispersions as read, in canonical form (16 hex digits)
};

// Draws the dispersed values of a run and puts them into a vehicle.
class Sampler {
 public:
  // Throws InputError for an unknown key, a sigma <= 0, bounds out of
  // order, more than maxCampaignKeys keys, or correlations that are not
  // positive definite (the file reader reports these first, with their
  // lines).
  Sampler(const Vehicle& nominal, std::vector<Dispersion> dispersions,
          std::vector<Correlation> correlations = {});

  const std::vector<Dispersion>& dispersions() const { return dispersions_; }
  const std::vector<Correlation>& correlations() const { return correlations_; }
  // The value of every dispersion for run `run`, in the key's own unit.
  void draw(std::uint64_t seed, std::uint64_t run, std::span<double> values) const;
  // The nominal vehicle with these values put in, and what follows from
  // them derived (deriveVehicleKeys), as a vehicle file giving them has it.
  Vehicle apply(std::span<const double> values) const;
  // The nominal vehicle with the values of the keys whose knowledge is
  // among `known` put in (a bit per Knowledge), the others at nominal: what
  // a guidance that knows these classes flies by.
  Vehicle applyKnown(std::span<const double> values, unsigned known) const;
  const Vehicle& nominal() const { return nominal_; }

 private:
  Vehicle nominal_;
  std::vector<Dispersion> dispersions_;
  std::vector<Correlation> correlations_;
  std::vector<const VehicleKey*> keys_;
  std::vector<std::string> names_;  // the keys' names, as deriveVehicleKeys takes them
  std::vector<std::uint64_t> keyHashes_;
  std::vector<double> nominalValues_;
  std::vector<double> cholesky_;  // n x n, identity for keys without correlations
  std::vector<char> correlated_;  // keys that take part in a correlation
};

}  // namespace ascent

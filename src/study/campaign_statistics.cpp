// The summary of a dispersion campaign (ascent/campaign.h): statistics of
// the outputs over the orbits (means and spreads from correctly rounded
// sums, two passes over each output's values), the Wilson interval of the
// success probability, the perigee-apogee ellipses, the requirements and the
// flight performance reserve.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "ascent/campaign.h"
#include "physics/constants.h"
#include "study/exact_sum.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// A charted run in the temporary file: perigee, apogee, average altitude,
// SC_M, success (1 or 0).
constexpr std::size_t chartedFields = 5;

std::FILE* temporaryFile() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) {
    throw Error(errno != 0 ? errno : EIO, "cannot create a temporary file for the summary");
  }
  return file;
}

void writeTemporary(const double* values, std::size_t count, std::FILE* file) {
  if (std::fwrite(values, sizeof(double), count, file) != count) {
    throw Error(errno != 0 ? errno : EIO, "cannot write a temporary file for the summary");
  }
}

// Every value written to `file`, which stays open for more.
// The correctly rounded sum of the squared deviations from `mean`, each
// rounded once: the second pass of the variance.
double squaredDeviations(std::span<const double> values, double mean) {
  ExactSum sum;
  for (const double x : values) sum.add((x - mean) * (x - mean));
  return sum.value();
}

// The same for the products (x - meanX)(y - meanY) of two temporary files
// that pair value by value, read a block at a time.
double coDeviations(std::FILE* xs, double meanX, std::FILE* ys, double meanY, std::size_t count) {
  if (std::fflush(xs) != 0 || std::fflush(ys) != 0 || std::fseek(xs, 0, SEEK_SET) != 0 ||
      std::fseek(ys, 0, SEEK_SET) != 0) {
    throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
  }
  ExactSum sum;
  double x[4096], y[4096];
  for (std::size_t done = 0; done < count;) {
    const std::size_t block = std::min(std::size(x), count - done);
    if (std::fread(x, sizeof(double), block, xs) != block ||
        std::fread(y, sizeof(double), block, ys) != block) {
      throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
    }
    for (std::size_t i = 0; i < block; ++i) sum.add((x[i] - meanX) * (y[i] - meanY));
    done += block;
  }
  if (std::fseek(xs, 0, SEEK_END) != 0 || std::fseek(ys, 0, SEEK_END) != 0) {
    throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
  }
  return sum.value();
}

std::vector<double> readTemporary(std::FILE* file, std::size_t count) {
  std::vector<double> values(count);
  if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
      std::fread(values.data(), sizeof(double), count, file) != count ||
      std::fseek(file, 0, SEEK_END) != 0) {
    throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
  }
  return values;
}

// The lower order-statistic bound of the remaining propellant over all runs,
// from the sorted values of the orbits: the runs without one (and an orbit
// without a finite value) count as -infinity, below every orbit.
FlightPerformanceReserve flightPerformanceReserve(std::span<const double> sortedOrbits,
                                                  std::size_t runs, double probability,
                                                  double confidence) {
  FlightPerformanceReserve reserve;
  reserve.probability = probability;
  reserve.confidence = confidence;
  reserve.order = orderStatisticRank(runs, probability, confidence);
  const std::size_t withoutOrbit = runs - sortedOrbits.size();
  if (reserve.order > withoutOrbit) {
    reserve.margin_kg = sortedOrbits[reserve.order - withoutOrbit - 1];
    reserve.flightPerformanceReserve_kg = std::max(0.0, -*reserve.margin_kg);
  }
  return reserve;
}

}  // namespace

double percentileOf(std::span<const double> sorted, double percent) {
  const double h = static_cast<double>(sorted.size() - 1) * (percent / 100);
  const std::size_t below = static_cast<std::size_t>(std::floor(h));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  return sorted[below] + (h - static_cast<double>(below)) * (sorted[above] - sorted[below]);
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

SummaryBuilder::SummaryBuilder() : SummaryBuilder(CampaignSettings()) {}

SummaryBuilder::SummaryBuilder(const CampaignSettings& settings)
    : probability_(settings.probability),
      confidence_(settings.confidence),
      requirements_(settings.requirements),
      requirementValues_(settings.requirements.size()) {
  // The numbers the runs are judged by, as runCampaign checks them: a
  // probability or confidence outside (0, 1) has no order statistic.
  for (std::string_view name : {"reserve_kg", "probability", "confidence"}) {
    const SettingDomain<CampaignSettings>& d = *findDomain(campaignSettingsDomain(), name);
    if (std::string problem = domainProblem(d, d.get(settings)); !problem.empty()) {
      throw InputError({problem});
    }
  }
  summary_.minRemainingPropellant_kg = settings.minRemainingPropellant_kg;
  const auto names = campaignOutputNames();
  for (const Requirement& r : requirements_) {
    requirementOutputs_.push_back(
        static_cast<std::size_t>(std::find(names.begin(), names.end(), r.output) - names.begin()));
    if (requirementOutputs_.back() == names.size()) {
      throw std::invalid_argument("the requirement '" + r.text + "' names no output");
    }
  }
  try {
    for (std::FILE*& column : columns_) column = temporaryFile();
    charted_ = temporaryFile();
  } catch (...) {
    closeFiles();
    throw;
  }
}

SummaryBuilder::~SummaryBuilder() {
  closeFiles();
}

void SummaryBuilder::closeFiles() {
  const auto close = [](std::FILE*& file) {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
  };
  for (std::FILE*& column : columns_) close(column);
  close(charted_);
}

void SummaryBuilder::add(const CampaignRow& row) {
  constexpr std::size_t p = static_cast<std::size_t>(CampaignOutput::Perigee);
  constexpr std::size_t a = static_cast<std::size_t>(CampaignOutput::Apogee);
  constexpr std::size_t propellant = static_cast<std::size_t>(CampaignOutput::RemainingPropellant);
  ++summary_.runs;
  ++summary_.byClass[static_cast<std::size_t>(row.flightClass)];
  const bool orbit = row.flightClass == FlightClass::Orbit;
  // A NaN propellant is no reserve.
  const bool success = orbit && row.outputs[propellant] >= summary_.minRemainingPropellant_kg;
  summary_.successes += success;
  summary_.shortfalls += orbit && !success;
  for (std::size_t r = 0; r < requirements_.size(); ++r) {
    requirementValues_[r].push_back(success ? row.outputs[requirementOutputs_[r]] : notANumber);
  }
  if (std::isfinite(row.outputs[p]) && std::isfinite(row.outputs[a])) {
    const double charted[chartedFields] = {
        row.outputs[p], row.outputs[a],
        row.outputs[static_cast<std::size_t>(CampaignOutput::AverageAltitude)],
        row.outputs[static_cast<std::size_t>(CampaignOutput::SpacecraftMass)], success ? 1.0 : 0.0};
    writeTemporary(charted, chartedFields, charted_);
  }
  if (!orbit) return;
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const double x = row.outputs[k];
    if (!std::isfinite(x)) continue;
    ++summary_.outputs[k].count;
    writeTemporary(&x, 1, columns_[k]);
  }
}

std::vector<double> SummaryBuilder::column(CampaignOutput output) {
  const std::size_t k = static_cast<std::size_t>(output);
  return readTemporary(columns_[k], summary_.outputs[k].count);
}

std::vector<ChartedRun> SummaryBuilder::chartedRuns() {
  if (std::fflush(charted_) != 0) {
    throw Error(errno != 0 ? errno : EIO, "cannot read a temporary file for the summary");
  }
  const long bytes = std::ftell(charted_);
  const std::vector<double> values =
      readTemporary(charted_, static_cast<std::size_t>(bytes < 0 ? 0 : bytes) / sizeof(double));
  std::vector<ChartedRun> runs(values.size() / chartedFields);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const double* v = &values[i * chartedFields];
    runs[i] = {v[0], v[1], v[2], v[3], v[4] != 0};
  }
  return runs;
}

CampaignSummary SummaryBuilder::finish() {
  CampaignSummary summary = summary_;
  summary.successShare =
      summary.runs > 0 ? static_cast<double>(summary.successes) / static_cast<double>(summary.runs)
                       : 0;
  wilsonInterval(summary.successes, summary.runs, 1.959963984540054, summary.wilsonLow,
                 summary.wilsonHigh);
  summary.flightPerformanceReserve =
      flightPerformanceReserve({}, summary.runs, probability_, confidence_);
  double squares[campaignOutputCount] = {};  // sums of squared deviations from the means
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    OutputStatistics& s = summary.outputs[k];
    if (s.count == 0) {
      s.mean = s.standardDeviation = s.min = s.max = notANumber;
      std::fill(std::begin(s.percentiles), std::end(s.percentiles), notANumber);
      continue;
    }
    // One column at a time in memory.
    std::vector<double> values = column(static_cast<CampaignOutput>(k));
    std::sort(values.begin(), values.end());
    s.mean = exactMean(values);
    squares[k] = squaredDeviations(values, s.mean);
    s.standardDeviation =
        s.count > 1 ? std::sqrt(squares[k] / static_cast<double>(s.count - 1)) : 0;
    s.min = values.front();
    s.max = values.back();
    for (std::size_t j = 0; j < std::size(summaryPercentiles); ++j) {
      s.percentiles[j] = percentileOf(values, summaryPercentiles[j]);
    }
    if (static_cast<CampaignOutput>(k) == CampaignOutput::RemainingPropellant) {
      summary.flightPerformanceReserve =
          flightPerformanceReserve(values, summary.runs, probability_, confidence_);
    }
  }
  for (std::size_t r = 0; r < requirements_.size(); ++r) {
    // The partial sort reorders the values: a copy keeps finish() repeatable.
    std::vector<double> values = requirementValues_[r];
    summary.requirements.push_back(
        verifyRequirement(requirements_[r], values, probability_, confidence_));
  }
  constexpr std::size_t p = static_cast<std::size_t>(CampaignOutput::Perigee);
  constexpr std::size_t a = static_cast<std::size_t>(CampaignOutput::Apogee);
  summary.meanPerigee_m = summary.outputs[p].mean;
  summary.meanApogee_m = summary.outputs[a].mean;
  const std::size_t n = summary.outputs[p].count;
  if (n == 0) {
    // No closed orbit: no spread and no ellipse to speak of (null, not zero).
    std::fill(std::begin(summary.covariance), std::end(summary.covariance), notANumber);
    for (int k = 0; k < 3; ++k) {
      summary.ellipses[k] = Ellipse{static_cast<double>(k + 1), notANumber, notANumber, notANumber};
    }
    return summary;
  }
  // Perigee and apogee are both finite in an orbit: their columns pair run
  // by run.
  const double dof = static_cast<double>(n - 1);
  const double meanP = summary.meanPerigee_m, meanA = summary.meanApogee_m;
  summary.covariance[0] = n > 1 ? squares[p] / dof : 0;
  summary.covariance[1] = n > 1 ? coDeviations(columns_[p], meanP, columns_[a], meanA, n) / dof : 0;
  summary.covariance[2] = n > 1 ? squares[a] / dof : 0;
  // The eigenvalues of the 2 x 2 covariance give the squared semi-axes of the
  // one-sigma ellipse; k sigmas scale them by k.
  const double varP = summary.covariance[0], cov = summary.covariance[1],
               varA = summary.covariance[2];
  const double halfTrace = (varP + varA) / 2;
  const double root = std::hypot((varP - varA) / 2, cov);
  const double major = halfTrace + root, minor = std::max(0.0, halfTrace - root);
  const double angle_deg = toDegrees(0.5 * std::atan2(2 * cov, varP - varA));
  for (int k = 0; k < 3; ++k) {
    Ellipse& e = summary.ellipses[k];
    e.sigmas = k + 1;
    e.semiMajor_m = e.sigmas * std::sqrt(major);
    e.semiMinor_m = e.sigmas * std::sqrt(minor);
    e.angle_deg = angle_deg;
  }
  return summary;
}

std::vector<std::pair<double, double>> ellipseOutline(const CampaignSummary& s, const Ellipse& e,
                                                      int steps) {
  std::vector<std::pair<double, double>> points;
  points.reserve(static_cast<std::size_t>(steps) + 1);
  const double angle = s.ellipses[0].angle_deg * pi / 180;
  for (int step = 0; step <= steps; ++step) {
    const double t = 2 * pi * step / steps;
    const double x = e.semiMajor_m * std::cos(t), y = e.semiMinor_m * std::sin(t);
    points.emplace_back(s.meanPerigee_m + x * std::cos(angle) - y * std::sin(angle),
                        s.meanApogee_m + x * std::sin(angle) + y * std::cos(angle));
  }
  return points;
}

}  // namespace ascent

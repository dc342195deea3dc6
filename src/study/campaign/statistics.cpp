// The summary of a dispersion campaign (ascent/campaign.h): statistics of
// the outputs over the orbits (means and spreads from correctly rounded
// sums, two passes over each output's values), the Wilson interval of the
// success probability, the perigee-apogee ellipses, the requirements and the
// flight performance reserve.
#include "study/campaign/statistics.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <memory>

#include "ascent/campaign.h"
#include "physics/constants.h"
#include "study/exact_sum.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

// The correctly rounded sum of the squared deviations from `mean`, each
// rounded once: the second pass of the variance.
double squaredDeviations(std::span<const double> values, double mean) {
  ExactSum sum;
  for (const double x : values) sum.add((x - mean) * (x - mean));
  return sum.value();
}

// The same for the products (x - meanX)(y - meanY) of two columns that pair
// value by value.
double coDeviations(std::span<const double> xs, double meanX, std::span<const double> ys,
                    double meanY) {
  ExactSum sum;
  for (std::size_t i = 0; i < xs.size(); ++i) sum.add((xs[i] - meanX) * (ys[i] - meanY));
  return sum.value();
}

// The columns in memory.
class MemorySpill final : public ValueSpill {
 public:
  explicit MemorySpill(std::size_t columns) : columns_(columns) {}
  void append(std::size_t column, std::span<const double> values) override {
    columns_.at(column).insert(columns_[column].end(), values.begin(), values.end());
  }
  std::vector<double> read(std::size_t column) override { return columns_.at(column); }

 private:
  std::vector<std::vector<double>> columns_;
};

// The charted runs' fields, after the outputs' columns: perigee, apogee,
// average altitude, SC_M, success (1 or 0).
constexpr std::size_t chartedFields = 5;
static_assert(summarySpillColumns == campaignOutputCount + chartedFields);
constexpr std::size_t chartedColumn(std::size_t field) {
  return campaignOutputCount + field;
}

// The lower order-statistic bound of the remaining propellant over all
// runs: a run without an orbit, off target or with its boosters short of
// propellant (which no upper-stage propellant mends) counts as -infinity,
// below every orbit. `margins` holds one per run and is reordered.
FlightPerformanceReserve flightPerformanceReserve(std::vector<double>& margins, double probability,
                                                  double confidence) {
  FlightPerformanceReserve reserve;
  reserve.probability = probability;
  reserve.confidence = confidence;
  reserve.order = orderStatisticRank(margins.size(), probability, confidence);
  if (reserve.order == 0) return reserve;
  const auto mth = margins.begin() + static_cast<std::ptrdiff_t>(reserve.order - 1);
  std::nth_element(margins.begin(), mth, margins.end());
  if (std::isfinite(*mth)) {
    reserve.margin_kg = *mth;
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

bool offTarget(const CampaignRow& row) {
  return row.targeting &&
         (*row.targeting == Verdict::NotConverged || *row.targeting == Verdict::Unreachable);
}

bool campaignSuccess(const CampaignRow& row, double minRemainingPropellant_kg) {
  constexpr std::size_t propellant = static_cast<std::size_t>(CampaignOutput::RemainingPropellant);
  constexpr std::size_t booster = static_cast<std::size_t>(CampaignOutput::BoosterResidual);
  // A NaN propellant is no reserve.
  return row.flightClass == FlightClass::Orbit && !offTarget(row) &&
         row.outputs[propellant] >= minRemainingPropellant_kg && row.outputs[propellant] >= 0 &&
         row.outputs[booster] >= 0;
}

std::unique_ptr<ValueSpill> memorySpill(std::size_t columns) {
  return std::make_unique<MemorySpill>(columns);
}

SummaryBuilder::SummaryBuilder(const CampaignSettings& settings, std::unique_ptr<ValueSpill> spill)
    : probability_(settings.probability),
      confidence_(settings.confidence),
      requirements_(settings.requirements),
      requirementValues_(settings.requirements.size()),
      spill_(spill ? std::move(spill) : memorySpill(summarySpillColumns)) {
  // The numbers the runs are judged by, as the campaign checks them: a
  // probability or confidence outside (0, 1) has no order statistic.
  refuseSetting(judgingProblem(settings));
  summary_.minRemainingPropellant_kg = settings.minRemainingPropellant_kg;
  const auto names = campaignOutputNames();
  for (const Requirement& r : requirements_) {
    requirementOutputs_.push_back(
        static_cast<std::size_t>(std::find(names.begin(), names.end(), r.output) - names.begin()));
  }
}

void SummaryBuilder::add(const CampaignRow& row) {
  constexpr std::size_t p = static_cast<std::size_t>(CampaignOutput::Perigee);
  constexpr std::size_t a = static_cast<std::size_t>(CampaignOutput::Apogee);
  ++summary_.runs;
  ++summary_.byClass[static_cast<std::size_t>(row.flightClass)];
  const bool orbit = row.flightClass == FlightClass::Orbit;
  const bool success = campaignSuccess(row, summary_.minRemainingPropellant_kg);
  const bool off = offTarget(row);
  summary_.successes += success;
  summary_.shortfalls += orbit && !success && !off;
  summary_.offTarget += off;
  summary_.orbitsOffTarget += orbit && off;
  constexpr std::size_t propellant = static_cast<std::size_t>(CampaignOutput::RemainingPropellant);
  constexpr std::size_t booster = static_cast<std::size_t>(CampaignOutput::BoosterResidual);
  const bool flyable = orbit && !off && row.outputs[booster] >= 0;
  margins_.push_back(flyable && !std::isnan(row.outputs[propellant])
                         ? row.outputs[propellant]
                         : -std::numeric_limits<double>::infinity());
  runStatus_.push_back(success ? RunStatus::Success
                       : orbit ? RunStatus::OrbitNotSuccess
                               : RunStatus::NoOrbit);
  for (std::size_t r = 0; r < requirements_.size(); ++r) {
    requirementValues_[r].push_back(orbit ? row.outputs[requirementOutputs_[r]] : notANumber);
  }
  if (std::isfinite(row.outputs[p]) && std::isfinite(row.outputs[a])) {
    const double charted[chartedFields] = {
        row.outputs[p], row.outputs[a],
        row.outputs[static_cast<std::size_t>(CampaignOutput::AverageAltitude)],
        row.outputs[static_cast<std::size_t>(CampaignOutput::SpacecraftMass)], success ? 1.0 : 0.0};
    for (std::size_t f = 0; f < chartedFields; ++f)
      spill_->append(chartedColumn(f), {&charted[f], 1});
  }
  if (!orbit) return;
  for (std::size_t k = 0; k < campaignOutputCount; ++k) {
    const double x = row.outputs[k];
    if (!std::isfinite(x)) continue;
    ++summary_.outputs[k].count;
    spill_->append(k, {&x, 1});
  }
}

std::vector<double> SummaryBuilder::column(CampaignOutput output) {
  return spill_->read(static_cast<std::size_t>(output));
}

std::vector<ChartedRun> SummaryBuilder::chartedRuns() {
  std::vector<double> fields[chartedFields];
  for (std::size_t f = 0; f < chartedFields; ++f) fields[f] = spill_->read(chartedColumn(f));
  std::vector<ChartedRun> runs(fields[0].size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    runs[i] = {fields[0][i], fields[1][i], fields[2][i], fields[3][i], fields[4][i] != 0};
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
  std::vector<double> margins = margins_;  // finish() stays repeatable
  summary.flightPerformanceReserve = flightPerformanceReserve(margins, probability_, confidence_);
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
  }
  for (std::size_t r = 0; r < requirements_.size(); ++r) {
    // The partial sort reorders the values: a copy keeps finish() repeatable.
    std::vector<double> values = requirementValues_[r];
    summary.requirements.push_back(
        verifyRequirement(requirements_[r], values, runStatus_, probability_, confidence_));
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
  summary.covariance[1] =
      n > 1 ? coDeviations(spill_->read(p), meanP, spill_->read(a), meanA) / dof : 0;
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

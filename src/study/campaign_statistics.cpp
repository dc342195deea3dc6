// The summary of a dispersion campaign (ascent/campaign.h): statistics of
// the outputs in run order, the Wilson interval of the orbit probability and
// the perigee-apogee ellipses.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>

#include "ascent/campaign.h"
#include "physics/constants.h"

namespace ascent {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

}  // namespace

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
  if (n == 0) {
    // No closed orbit: no spread and no ellipse to speak of (null, not zero).
    std::fill(std::begin(summary.covariance), std::end(summary.covariance), notANumber);
    for (int k = 0; k < 3; ++k) {
      summary.ellipses[k] = Ellipse{static_cast<double>(k + 1), notANumber, notANumber, notANumber};
    }
    return summary;
  }
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

std::vector<std::pair<double, double>> ellipseOutline(const CampaignSummary& s, const Ellipse& e,
                                                      int steps) {
  std::vector<std::pair<double, double>> points;
  points.reserve(static_cast<std::size_t>(steps) + 1);
  const double angle = s.ellipses[0].angleDeg * pi / 180;
  for (int step = 0; step <= steps; ++step) {
    const double t = 2 * pi * step / steps;
    const double x = e.semiMajor_m * std::cos(t), y = e.semiMinor_m * std::sin(t);
    points.emplace_back(s.meanPerigee_m + x * std::cos(angle) - y * std::sin(angle),
                        s.meanApogee_m + x * std::sin(angle) + y * std::cos(angle));
  }
  return points;
}

}  // namespace ascent

// Draws and statistics of a dispersion campaign against values known from
// the distributions themselves, and the reproducibility of the draws.
#include "ascent/campaign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "study/campaign/draws.h"
#include "study/campaign/statistics.h"
#include "study/known_campaign.h"

namespace ascent {
namespace {

using testing::summaryOfKnownRuns;

double phi(double x) {
  return std::exp(-x * x / 2) / std::sqrt(2 * std::numbers::pi);
}

TEST(CampaignDraws, NormalQuantileMatchesPublishedValuesAndInvertsTheDistributionFunction) {
  const struct {
    double p, z;
  } known[] = {{0.5, 0},
               {0.975, 1.959963984540054},
               {0.8413447460685429, 1},
               {0.001, -3.090232306167813},
               {1e-10, -6.361340902404056}};
  for (const auto& k : known) {
    EXPECT_NEAR(normalQuantile(k.p), k.z, 1e-12 * std::max(1.0, std::fabs(k.z))) << k.p;
  }
  for (double p = 0.0005; p < 1; p += 0.0173) {
    EXPECT_NEAR(normalCdf(normalQuantile(p)), p, 2e-15) << p;
  }
}

// Sample mean, standard deviation and range of 40000 draws of one key against
// those of its distribution.
TEST(CampaignDraws, SampleStatisticsOfEachDistributionMatchTheDistribution) {
  const Vehicle& nominal = Vehicle::defaults();
  const double thrust = nominal.core.thrust_N;
  // Truncated at +-1.5 sigma: variance 1 - 2 b phi(b) / (2 Phi(b) - 1).
  const double b = 1.5;
  const double truncatedSd = std::sqrt(1 - 2 * b * phi(b) / (2 * normalCdf(b) - 1));
  const struct {
    Dispersion dispersion;
    double mean, sd, low, high;
  } table[] = {
      {{"core.thrust_N", Distribution::Normal, 1000, 0, 0, false},
       thrust,
       1000,
       -INFINITY,
       INFINITY},
      {{"core.thrust_N", Distribution::Normal, 0.5, 0, 0, true},
       thrust,
       thrust * 0.005,
       -INFINITY,
       INFINITY},
      {{"core.thrust_N", Distribution::Uniform, 0, -3000, 1000, false},
       thrust - 1000,
       4000 / std::sqrt(12.0),
       thrust - 3000,
       thrust + 1000},
      {{"core.thrust_N", Distribution::TruncatedNormal, 2000, -3000, 3000, false},
       thrust,
       2000 * truncatedSd,
       thrust - 3000,
       thrust + 3000},
      // Bounds on one side of the mean: the tail from +1 to +2 sigma. With
      // Z = Phi(2) - Phi(1): mean (phi(1) - phi(2)) / Z = 1.3831690466 and
      // variance 1 + (phi(1) - 2 phi(2)) / Z - mean^2 = 0.2697088914^2.
      {{"core.thrust_N", Distribution::TruncatedNormal, 1000, 1000, 2000, false},
       thrust + 1383.1690466,
       269.7088914,
       thrust + 1000,
       thrust + 2000},
  };
  constexpr int runs = 40000;
  for (const auto& row : table) {
    const Sampler sampler(nominal, {row.dispersion});
    double sum = 0, squares = 0, low = INFINITY, high = -INFINITY;
    for (int run = 0; run < runs; ++run) {
      double value = 0;
      sampler.draw(7, static_cast<std::uint64_t>(run), {&value, 1});
      sum += value;
      low = std::min(low, value);
      high = std::max(high, value);
      squares += value * value;
    }
    const double mean = sum / runs;
    const double sd = std::sqrt(squares / runs - mean * mean);
    const std::string name(distributionName(row.dispersion.distribution));
    // Four standard errors of the mean, 3 % of the standard deviation.
    EXPECT_NEAR(mean, row.mean, 4 * row.sd / std::sqrt(double(runs))) << name;
    EXPECT_NEAR(sd, row.sd, 0.03 * row.sd) << name;
    EXPECT_GE(low, row.low) << name;
    EXPECT_LE(high, row.high) << name;
    EXPECT_LT(low, row.mean - row.sd) << name;  // the draws do spread
  }
}

TEST(CampaignDraws, AKeysDrawsDependOnSeedRunAndKeyAloneAndCorrelationsHold) {
  const Vehicle& nominal = Vehicle::defaults();
  const Dispersion thrust{"core.thrust_N", Distribution::Normal, 1, 0, 0, true};
  const Dispersion mass{"upper.mass_kg", Distribution::Uniform, 0, -100, 100, false};
  const Dispersion drag{"aero.drag_scale", Distribution::Normal, 5, 0, 0, true};
  const Sampler two(nominal, {thrust, mass});
  const Sampler three(nominal, {drag, thrust, mass});  // a key added in front
  const Sampler correlated(nominal, {thrust, mass, drag}, {{0, 2, 0.8}});
  double sxy = 0, sxx = 0, syy = 0;
  for (std::uint64_t run = 0; run < 20000; ++run) {
    double a[2], b[3], c[3], d[2];
    two.draw(11, run, a);
    three.draw(11, run, b);
    correlated.draw(11, run, c);
    two.draw(12, run, d);
    ASSERT_EQ(a[0], b[1]);
    ASSERT_EQ(a[1], b[2]);
    ASSERT_EQ(a[1], c[1]);  // not correlated: as drawn alone
    ASSERT_NE(a[0], d[0]);  // another seed changes every run
    ASSERT_NE(a[1], d[1]);
    const double x = c[0] / nominal.core.thrust_N - 1, y = c[2] - 1;
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
  }
  EXPECT_NEAR(sxy / std::sqrt(sxx * syy), 0.8, 0.01);
  EXPECT_THROW(Sampler(nominal, {thrust, mass, drag}, {{0, 1, 0.9}, {0, 2, 0.9}, {1, 2, -0.9}}),
               InputError);
}

// The summary of rows whose statistics are known by hand.
// Seeds and run indices are decimal digits of any 64-bit number: nothing is
// clamped, wrapped or read in another base.
TEST(CampaignSummary, StatisticsPercentilesWilsonIntervalAndEllipseOfKnownRows) {
  SummaryBuilder builder{CampaignSettings{}};
  // Orbits of perigee k, apogee 2k + (k odd ? 1 : -1) km for k = 1 ... 100,
  // the last five short of propellant, then five failures.
  for (int k = 1; k <= 105; ++k) {
    CampaignRow row;
    row.run = static_cast<std::uint64_t>(k);
    row.flightClass = k <= 100 ? FlightClass::Orbit : FlightClass::Failed;
    std::fill(std::begin(row.outputs), std::end(row.outputs), std::nan(""));
    if (k <= 100) {
      row.outputs[0] = 1000.0 * k;
      row.outputs[1] = 1000.0 * (2 * k + (k % 2 == 1 ? 1 : -1));
      row.outputs[3] = k <= 95 ? 0 : -1;
      row.outputs[static_cast<std::size_t>(CampaignOutput::BoosterResidual)] = 0;
    }
    builder.add(row);
  }
  const CampaignSummary s = builder.finish();
  EXPECT_EQ(s.runs, 105u);
  EXPECT_EQ(s.byClass[0], 100u);
  EXPECT_NEAR(s.successShare, 95.0 / 105, 1e-15);
  // Wilson 95 % for 95 of 105: the roots of (p - x)^2 = z^2 x (1 - x) / 105.
  EXPECT_NEAR(s.wilsonLow, 0.83350872377796, 1e-12);
  EXPECT_NEAR(s.wilsonHigh, 0.94744369013657, 1e-12);
  // And for 95 of 100 with z = 1.96, by the formula's published worked values.
  double low = 0, high = 0;
  wilsonInterval(95, 100, 1.96, low, high);
  EXPECT_NEAR(low, 0.88825, 1e-5);
  EXPECT_NEAR(high, 0.97846, 1e-5);
  const OutputStatistics& perigee = s.outputs[0];
  EXPECT_EQ(perigee.count, 100u);
  EXPECT_DOUBLE_EQ(perigee.mean, 50500);
  EXPECT_NEAR(perigee.standardDeviation, 1000 * std::sqrt(100.0 * 101 / 12), 1e-9);
  EXPECT_EQ(perigee.min, 1000);
  EXPECT_EQ(perigee.max, 100000);
  EXPECT_DOUBLE_EQ(perigee.percentiles[3], 50500);  // median of 1 ... 100
  EXPECT_DOUBLE_EQ(perigee.percentiles[2], 5950);   // 1 + 99 * 0.05
  EXPECT_EQ(s.outputs[static_cast<std::size_t>(CampaignOutput::SpacecraftMass)].count, 0u);
  // Apogee = 2 perigee + noise e = +-1 km: cov = 2 var(p) + cov(p, e), where
  // each pair (2j-1, 2j) adds -1 km^2 to the co-moment: -50e6 / 99 m^2.
  EXPECT_NEAR(s.covariance[1], 2 * s.covariance[0] - 50e6 / 99, 1e-9 * s.covariance[0]);
  EXPECT_NEAR(s.ellipses[0].angle_deg, 63.4, 0.1);
  EXPECT_DOUBLE_EQ(s.ellipses[2].semiMajor_m, 3 * s.ellipses[0].semiMajor_m);
  EXPECT_NEAR(s.ellipses[0].semiMajor_m * s.ellipses[0].semiMajor_m +
                  s.ellipses[0].semiMinor_m * s.ellipses[0].semiMinor_m,
              s.covariance[0] + s.covariance[2], 1e-6 * s.covariance[2]);
}

TEST(CampaignSummary, ASuccessIsAnOrbitWithItsReserveAndStatisticsTakeTheOrbits) {
  CampaignSettings settings;
  const CampaignSummary s = summaryOfKnownRuns(settings);
  EXPECT_EQ(s.successes, 93u);  // runs 1 and 2 end short of propellant
  EXPECT_EQ(s.shortfalls, 2u);
  EXPECT_EQ(s.successShare, 0.93);
  EXPECT_EQ(s.outputs[0].count, 95u);
  EXPECT_EQ(s.outputs[0].min, 101e3);  // not a suborbital run's 50 km
  settings.minRemainingPropellant_kg = 100;
  EXPECT_EQ(summaryOfKnownRuns(settings).shortfalls, 12u);  // 10 k - 25 < 100 up to k = 12
}

// A success is an orbit on target that burned no propellant it does not
// carry: a booster overdrawn, or a run whose own targeting could not bring it
// to the target, is not one, whatever the upper stage keeps.
TEST(CampaignSummary, ShortBoostersAndRunsOffTargetAreNoSuccess) {
  const struct {
    double boosterResidual_kg;
    std::optional<Verdict> targeting;
    bool success, offTarget;
  } cases[] = {
      {0, std::nullopt, true, false},
      {-1, std::nullopt, false, false},
      {0, Verdict::Converged, true, false},
      {0, Verdict::NotConverged, false, true},
      {0, Verdict::Unreachable, false, true},
      {0, Verdict::NoPropellantLeft, true, false},  // judged by its propellant, which is left
  };
  for (const auto& c : cases) {
    CampaignRow row;
    row.flightClass = FlightClass::Orbit;
    row.targeting = c.targeting;
    std::fill(std::begin(row.outputs), std::end(row.outputs), 1.0);
    row.outputs[static_cast<std::size_t>(CampaignOutput::BoosterResidual)] = c.boosterResidual_kg;
    EXPECT_EQ(campaignSuccess(row, 0), c.success) << c.boosterResidual_kg;
    EXPECT_EQ(offTarget(row), c.offTarget);
    SummaryBuilder builder{CampaignSettings{}};
    builder.add(row);
    const CampaignSummary s = builder.finish();
    EXPECT_EQ(s.successes + s.shortfalls + s.offTarget, 1u);
    EXPECT_EQ(s.orbitsOffTarget, c.offTarget ? 1u : 0u);
  }
}

// No orbit, no statistics: null (a real that is not finite), not zero; one
// orbit has them, a spread of zero.
TEST(CampaignSummary, StatisticsAndEllipsesAreNullWithoutAnOrbit) {
  for (const FlightClass flown :
       {FlightClass::Abandoned, FlightClass::Suborbital, FlightClass::Orbit}) {
    SummaryBuilder builder{CampaignSettings{}};
    CampaignRow row;
    row.flightClass = flown;
    const bool none = flown != FlightClass::Orbit;
    std::fill(std::begin(row.outputs), std::end(row.outputs),
              flown == FlightClass::Abandoned ? std::nan("") : 1e3);
    builder.add(row);
    const Value value = campaignSummaryValue(builder.finish(), CampaignManifest{});
    const Value& ellipse = value["perigee_apogee"]["ellipses"].items()[2];
    for (const Value* v : {&value["outputs"]["SC_M_kg"]["standard_deviation"],
                           &value["perigee_apogee"]["covariance_m2"].items()[1],
                           &ellipse["semi_major_m"], &ellipse["angle_deg"]}) {
      EXPECT_EQ(!std::isfinite(v->real()), none);
    }
  }
}

// The builder judges by the settings it is given, so it refuses those the
// campaign refuses: a probability of 1 has no order statistic.
TEST(CampaignSummary, TheBuilderRefusesJudgingNumbersOutsideTheirDomains) {
  for (auto breakIt : {+[](CampaignSettings& s) { s.probability = 1; },
                       +[](CampaignSettings& s) { s.confidence = 0; },
                       +[](CampaignSettings& s) { s.minRemainingPropellant_kg = -1; }}) {
    CampaignSettings settings;
    breakIt(settings);
    EXPECT_THROW(SummaryBuilder{settings}, InputError);
  }
}

}  // namespace
}  // namespace ascent

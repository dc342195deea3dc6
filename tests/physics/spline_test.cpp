#include "physics/spline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "physics/standard_atmosphere.h"

namespace ascent {
namespace {

// Uneven integer knots.
constexpr SplineKnots unevenKnots{0, 1, 3, 4, 7, 8, 10, 13, 14, 16, 19, 20, 23, 25, 26, 30};

// m, the knot altitudes of the atmosphere's tables.
constexpr SplineKnots altitudeKnots{86000,  100000, 115000, 130000, 150000, 175000,
                                    200000, 250000, 300000, 400000, 500000, 600000,
                                    700000, 800000, 900000, 1000000};

SplineTable splineThrough(const SplineKnots& knots, double (*f)(double)) {
  SplineTable table;
  for (int i = 0; i < splineKnots; ++i) table.a[i] = f(knots[i]);
  buildSpline(knots, table);
  return table;
}

double largest(const SplineKnots& values) {
  double m = 0;
  for (double v : values) m = std::max(m, std::fabs(v));
  return m;
}

// A natural cubic spline is the one piecewise cubic that passes through every
// knot, has continuous first and second derivatives at the inner knots and a
// zero second derivative at both ends. Checked from the coefficients, at the
// right end of each interval against the start of the next.
void expectNaturalSpline(const SplineKnots& x, const SplineTable& s) {
  const double valueScale = largest(s.a);
  const double slopeScale = largest(s.b);
  const double curvatureScale = largest(s.c);
  EXPECT_EQ(splineValue(s, 0, 0.0), s.a[0]);
  EXPECT_EQ(s.c[0], 0.0);
  EXPECT_EQ(s.c[15], 0.0);
  for (int k = 1; k < splineKnots; ++k) {
    SCOPED_TRACE("knot " + std::to_string(k));
    const int i = k - 1;
    const double h = x[k] - x[i];
    EXPECT_NEAR(splineValue(s, i, h), s.a[k], 1e-14 * valueScale);
    const double slopeLeft = s.b[i] + 2 * s.c[i] * h + 3 * s.d[i] * h * h;
    const double curvatureLeft = 2 * s.c[i] + 6 * s.d[i] * h;
    if (k < splineKnots - 1) {
      EXPECT_NEAR(slopeLeft, s.b[k], 1e-12 * slopeScale);
    }
    EXPECT_NEAR(curvatureLeft, 2 * s.c[k], 1e-11 * curvatureScale);  // 0 at the last knot
  }
}

TEST(Spline, IsNaturalThroughSmoothData) {
  const SplineTable s = splineThrough(unevenKnots, [](double x) { return std::sin(x / 3) + x; });
  expectNaturalSpline(unevenKnots, s);
  EXPECT_NE(s.c[7], 0.0);  // curved data gives a curved spline
}

TEST(Spline, AtmosphereTablesAreNaturalSplines) {
  AtmosphereTables tables;
  initAtmosphere(tables);
  expectNaturalSpline(altitudeKnots, tables.lnPressureSpline);
  expectNaturalSpline(altitudeKnots, tables.lnDensitySpline);
}

TEST(Spline, ReproducesLinearDataExactly) {
  const SplineTable s = splineThrough(unevenKnots, [](double x) { return 2 * x + 5; });
  for (int i = 0; i + 1 < splineKnots; ++i) {
    EXPECT_EQ(s.c[i], 0.0);
    EXPECT_EQ(s.d[i], 0.0);
    EXPECT_EQ(splineValue(s, i, 0.5), 2 * (unevenKnots[i] + 0.5) + 5);
  }
  EXPECT_EQ(splineValue(s, 14, 4.0), 65.0);
}

TEST(Spline, KnotBelongsToTheIntervalBelowIt) {
  EXPECT_EQ(findInterval(altitudeKnots, 86000.0), 0);
  EXPECT_EQ(findInterval(altitudeKnots, 85000.0), 0);
  EXPECT_EQ(findInterval(altitudeKnots, 100000.0), 0);
  EXPECT_EQ(findInterval(altitudeKnots, std::nextafter(100000.0, 2e5)), 1);
  EXPECT_EQ(findInterval(altitudeKnots, 450000.0), 9);
  EXPECT_EQ(findInterval(altitudeKnots, 900000.0), 13);
  EXPECT_EQ(findInterval(altitudeKnots, 1000000.0), 14);
}

}  // namespace
}  // namespace ascent

#include "physics/standard_atmosphere.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "physics/constants.h"
#include "support/test_support.h"

namespace ascent {
namespace {

// The standard's constants, for values the tests work out independently.
constexpr double g0 = 9.80665;                    // m/s^2
constexpr double r0 = 6356766.0;                  // m, the standard's Earth radius
constexpr double k = 0.03416319473631037;         // K/m, g0 * M0 / R*
constexpr double cRho = 0.0034836763559737897;    // kg K/J, M0 / R*
constexpr double cA = 401.8743008658905;          // m^2/(s^2 K), 1.4 * R* / M0
constexpr double mesopauseTemperature = 186.946;  // K, top of the layers

struct Air {
  double pressure;      // Pa
  double density;       // kg/m^3
  double speedOfSound;  // m/s
};

const AtmosphereTables& tables() {
  static const AtmosphereTables built = [] {
    AtmosphereTables t;
    initAtmosphere(t);
    return t;
  }();
  return built;
}

Air airAt(double h) {
  Air air{};
  atmosphere(tables(), h, air.pressure, air.density, air.speedOfSound);
  return air;
}

// Geopotential height and standard geometric altitude of the flight-model altitude h.
double geopotentialOf(double h) {
  return (((surfaceGravity / g0) * earthRadius) * h) / (h + earthRadius);
}
double standardAltitudeOf(double h) {
  const double H = geopotentialOf(h);
  return (H * r0) / (r0 - H);
}

// The flight-model altitude whose geopotential height is H (inverse of geopotentialOf).
double flightAltitudeOf(double H) {
  return H * earthRadius / ((surfaceGravity / g0) * earthRadius - H);
}

// The largest flight-model altitude that is still evaluated by the layers.
double lastLayerAltitude() {
  const double H = 86000.0 * r0 / (r0 + 86000.0);
  double h = flightAltitudeOf(H);
  while (standardAltitudeOf(h) >= 86000.0) h = std::nextafter(h, 0.0);
  while (standardAltitudeOf(std::nextafter(h, 1e9)) < 86000.0) h = std::nextafter(h, 1e9);
  return h;
}

TEST(StandardAtmosphere, SeaLevelIsTheBaseOfLayerZero) {
  const Air air = airAt(0.0);
  EXPECT_EQ(air.pressure, 101325.0);
  EXPECT_DOUBLE_EQ(air.density, (101325.0 / 288.15) * cRho);
  EXPECT_DOUBLE_EQ(air.speedOfSound, std::sqrt(288.15 * cA));
}

TEST(StandardAtmosphere, BelowSeaLevelContinuesLayerZeroHydrostatically) {
  const Air sea = airAt(0.0);
  const Air below = airAt(-50.0);
  const Air above = airAt(50.0);
  EXPECT_GT(below.pressure, sea.pressure);
  EXPECT_GT(below.density, sea.density);
  EXPECT_GT(below.speedOfSound, sea.speedOfSound);
  // dP/dh = -rho * g, with the flight model's g = gs at the surface.
  EXPECT_REL_NEAR((below.pressure - above.pressure) / 100.0, sea.density * surfaceGravity, 1e-5);
}

TEST(StandardAtmosphere, TropopauseHeightBelongsToLayerZero) {
  double h = std::nextafter(flightAltitudeOf(11000.0), 0.0);
  for (int step = 0; step < 8 && geopotentialOf(h) != 11000.0; ++step) h = std::nextafter(h, 1e9);
  ASSERT_EQ(geopotentialOf(h), 11000.0);

  const double T = 288.15 - 0.0065 * 11000.0;
  const double P = std::exp((std::log(288.15 / T) * k) / -0.0065) * 101325.0;
  const Air air = airAt(h);
  EXPECT_DOUBLE_EQ(air.pressure, P);
  EXPECT_DOUBLE_EQ(air.density, (P / T) * cRho);
  EXPECT_DOUBLE_EQ(air.speedOfSound, std::sqrt(T * cA));
}

TEST(StandardAtmosphere, TablesTakeOverAt86KmWithoutVisibleJump) {
  // At 86000 m exactly (interval 0, dz = 0) the tables give the knot-0 values.
  // No double altitude maps onto 86000 m exactly; the first one past it lies
  // 1.5e-11 m up and must give them too, to within rounding.
  EXPECT_EQ(splineValue(tables().lnPressureSpline, 0, 0.0), std::log(0.37338));
  EXPECT_EQ(splineValue(tables().lnDensitySpline, 0, 0.0), std::log(6.958e-06));
  const double hLayers = lastLayerAltitude();
  const double hTables = std::nextafter(hLayers, 1e9);
  ASSERT_LT(standardAltitudeOf(hLayers), 86000.0);
  ASSERT_GE(standardAltitudeOf(hTables), 86000.0);
  ASSERT_GT(geopotentialOf(hLayers), 84852.0);  // in the isothermal band of layer 7

  const Air layers = airAt(hLayers);
  const Air tablesAir = airAt(hTables);
  EXPECT_REL_NEAR(tablesAir.pressure, 0.37338, 1e-14);
  EXPECT_REL_NEAR(tablesAir.density, 6.958e-06, 1e-14);
  EXPECT_DOUBLE_EQ(tablesAir.speedOfSound, std::sqrt(mesopauseTemperature * cA));

  EXPECT_REL_NEAR(layers.pressure, tablesAir.pressure, 3e-6);
  EXPECT_REL_NEAR(layers.density, tablesAir.density, 5e-5);
  EXPECT_EQ(layers.speedOfSound, tablesAir.speedOfSound);
}

TEST(StandardAtmosphere, SpeedOfSoundIsConstantAbove86Km) {
  const double a = airAt(std::nextafter(lastLayerAltitude(), 1e9)).speedOfSound;
  for (double h : {90e3, 123456.0, 300e3, 999e3, 1.2e6, 5e6}) {
    EXPECT_EQ(airAt(h).speedOfSound, a) << "h = " << h;
  }
}

TEST(StandardAtmosphere, ValuesAbove1000KmAreTheTopKnot) {
  // Up to 1000 km geometric of the standard, then held; far out (h beyond
  // 2.5e9 m) the geopotential height passes the standard's Earth radius.
  for (double h : {1000469.6, 1.5e6, 8e6, 4e7, 2.6e9, 1e12}) {
    SCOPED_TRACE("h = " + std::to_string(h));
    const Air air = airAt(h);
    EXPECT_REL_NEAR(air.pressure, 7.5138e-09, 1e-13);
    EXPECT_REL_NEAR(air.density, 3.561e-15, 1e-13);
    EXPECT_DOUBLE_EQ(air.speedOfSound, std::sqrt(mesopauseTemperature * cA));
  }
  EXPECT_GT(airAt(1000469.0).pressure, airAt(1000470.0).pressure);  // clamp not yet reached
}

TEST(StandardAtmosphere, RaisesNoTrappedFloatingPointException) {
  std::feclearexcept(FE_ALL_EXCEPT);
  for (double h = -2000.0; h < 1e13; h = h < 1000.0 ? h + 137.0 : h * 1.01) {
    const Air air = airAt(h);
    ASSERT_TRUE(std::isfinite(air.pressure) && std::isfinite(air.density)) << "h = " << h;
  }
  EXPECT_EQ(std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW), 0);
}

// Published values of the 1976 standard. Each row's standard geometric altitude
// Z is turned into the flight-model altitude with the same geopotential height.
TEST(StandardAtmosphere, MatchesPublished1976Values) {
  std::ifstream file(std::string(ASCENT_TEST_DATA_DIR) + "/us1976.tsv");
  ASSERT_TRUE(file.is_open());
  int rows = 0;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#' || line.rfind("Z_m", 0) == 0) continue;
    std::istringstream fields(line);
    double Z, relTol;
    std::string H, temperature, pressure, density, speedOfSound, note;
    fields >> Z >> H >> temperature >> pressure >> density >> speedOfSound >> relTol;
    std::getline(fields >> std::ws, note);
    ASSERT_FALSE(fields.fail()) << line;
    SCOPED_TRACE("Z = " + std::to_string(Z) + " (" + note + ")");

    const double geopotential = Z * r0 / (r0 + Z);
    const Air air = airAt(flightAltitudeOf(geopotential));
    EXPECT_REL_NEAR(air.pressure, std::stod(pressure), relTol);
    EXPECT_REL_NEAR(air.density, std::stod(density), relTol);
    if (speedOfSound != "-") EXPECT_REL_NEAR(air.speedOfSound, std::stod(speedOfSound), relTol);
    ++rows;
  }
  EXPECT_EQ(rows, 21);
}

}  // namespace
}  // namespace ascent

#include "physics/standard_atmosphere.h"

#include <cmath>
#include <limits>

#include "physics/constants.h"

// The formulas below are evaluated in the grouping written: the report prints
// enough digits to show any reordering.
namespace ascent {

namespace {

constexpr double g0 = 9.80665;    // m/s^2, standard gravity; defines the geopotential metre
constexpr double r0 = 6356766.0;  // m, the standard's Earth radius (geopotential to geometric)
constexpr double k = 0.03416319473631037;         // K/m, hydrostatic constant g0 * M0 / R*
constexpr double cRho = 0.0034836763559737897;    // kg K/J, M0 / R*, density = P / T * cRho
constexpr double cA = 401.8743008658905;          // m^2/(s^2 K), gamma * R* / M0 with gamma = 1.4
constexpr double seaLevelTemperature = 288.15;    // K, base of layer 0
constexpr double tablesBottomAltitude = 86000.0;  // m, standard geometric; tables from here up
constexpr double tablesTopAltitude = 1000000.0;   // m, standard geometric; values held above

struct Layer {
  double baseHeight;  // m, geopotential
  double lapseRate;   // K/m, temperature gradient in geopotential height
};

// U.S. Standard Atmosphere, 1976: the seven layers up to 84.852 km geopotential
// (86 km geometric); the last one continues isothermal up to the tables.
constexpr std::array<Layer, atmosphereLayers> layers{{
    {0.0, -0.0065},      // troposphere, from 0 km geometric
    {11000.0, 0.0},      // tropopause, 11.019 km geometric
    {20000.0, 0.001},    // stratosphere, 20.063 km geometric
    {32000.0, 0.0028},   // 32.162 km geometric
    {47000.0, 0.0},      // stratopause, 47.350 km geometric
    {51000.0, -0.0028},  // mesosphere, 51.412 km geometric
    {71000.0, -0.002},   // 71.802 km geometric
    {84852.0, 0.0},      // mesopause, 86.000 km geometric
}};

// The layers as intervals between breakpoints: each layer's base height, and
// above the last base no bound, so that layer 7 extends upward.
constexpr std::array<double, atmosphereLayers + 1> layerBreakpoints = [] {
  std::array<double, atmosphereLayers + 1> bases{};
  for (std::size_t i = 0; i < layers.size(); ++i) bases[i] = layers[i].baseHeight;
  bases[atmosphereLayers] = std::numeric_limits<double>::infinity();
  return bases;
}();

struct UpperKnot {
  double altitude;  // m, standard geometric
  double pressure;  // Pa
  double density;   // kg/m^3
};

// U.S. Standard Atmosphere, 1976: tabulated pressure and density from 86 to 1000 km.
constexpr std::array<UpperKnot, splineKnots> upperTable{{
    {86000.0, 0.37338, 6.958e-06},
    {100000.0, 0.032011, 5.604e-07},
    {115000.0, 0.0040096, 4.289e-08},
    {130000.0, 0.0012505, 8.152e-09},
    {150000.0, 0.00045422, 2.076e-09},
    {175000.0, 0.00017936, 6.339e-10},
    {200000.0, 8.4736e-05, 2.541e-10},
    {250000.0, 2.4767e-05, 6.073e-11},
    {300000.0, 8.7704e-06, 1.916e-11},
    {400000.0, 1.4518e-06, 2.803e-12},
    {500000.0, 3.0236e-07, 5.215e-13},
    {600000.0, 8.213e-08, 1.137e-13},
    {700000.0, 3.1908e-08, 3.07e-14},
    {800000.0, 1.7036e-08, 1.136e-14},
    {900000.0, 1.0873e-08, 5.759e-15},
    {1000000.0, 7.5138e-09, 3.561e-15},
}};

// m, the knot altitudes shared by both spline tables.
constexpr SplineKnots upperAltitude = [] {
  SplineKnots altitude{};
  for (int i = 0; i < splineKnots; ++i) altitude[i] = upperTable[i].altitude;
  return altitude;
}();

// Hydrostatic equation integrated over dH geopotential metres of one layer, from
// base temperature Tb and pressure Pb to temperature T: exponential in an
// isothermal layer, otherwise (Tb / T)^(k / L), written exp(ln(Tb / T) * k / L).
double layerPressure(double dH, double lapseRate, double Tb, double T, double Pb) {
  if (lapseRate == 0.0) return std::exp((dH * (-k)) / Tb) * Pb;
  return std::exp((std::log(Tb / T) * k) / lapseRate) * Pb;
}

// Base temperatures and pressures of layers 1 to 7, upwards from sea level.
void initLayers(AtmosphereTables& tables) {
  tables.layerBaseTemperature[0] = seaLevelTemperature;
  tables.layerBasePressure[0] = seaLevelPressure;
  for (int i = 0; i < atmosphereLayers - 1; ++i) {
    const double dH = layers[i + 1].baseHeight - layers[i].baseHeight;
    const double lapseRate = layers[i].lapseRate;
    const double Tb = tables.layerBaseTemperature[i];
    tables.layerBaseTemperature[i + 1] = dH * lapseRate + Tb;
    tables.layerBasePressure[i + 1] = layerPressure(
        dH, lapseRate, Tb, tables.layerBaseTemperature[i + 1], tables.layerBasePressure[i]);
  }
}

void initUpperTables(AtmosphereTables& tables) {
  for (int i = 0; i < splineKnots; ++i) {
    tables.lnPressureSpline.a[i] = std::log(upperTable[i].pressure);
    tables.lnDensitySpline.a[i] = std::log(upperTable[i].density);
  }
  buildSpline(upperAltitude, tables.lnPressureSpline);
  buildSpline(upperAltitude, tables.lnDensitySpline);
}

// Below 86 km: temperature linear in geopotential height H within a layer. A
// height on a layer boundary belongs to the layer below; heights below 0 extend
// layer 0 and heights above 84852 m extend layer 7.
void lowerAtmosphere(const AtmosphereTables& tables, double H, double& pressure, double& density,
                     double& speedOfSound) {
  const int i = findInterval(layerBreakpoints, H);
  const double dH = H - layers[i].baseHeight;
  const double lapseRate = layers[i].lapseRate;
  const double Tb = tables.layerBaseTemperature[i];
  const double T = dH * lapseRate + Tb;  // K
  pressure = layerPressure(dH, lapseRate, Tb, T, tables.layerBasePressure[i]);
  density = (pressure / T) * cRho;  // ideal gas
  speedOfSound = std::sqrt(T * cA);
}

// From 86 to 1000 km standard geometric altitude Z: natural cubic splines of
// ln(pressure) and ln(density); the speed of sound keeps its value at the top of
// layer 7.
void upperAtmosphere(const AtmosphereTables& tables, double Z, double& pressure, double& density,
                     double& speedOfSound) {
  const int i = findInterval(upperAltitude, Z);
  const double dz = Z - upperAltitude[i];  // m
  pressure = std::exp(splineValue(tables.lnPressureSpline, i, dz));
  density = std::exp(splineValue(tables.lnDensitySpline, i, dz));
  speedOfSound = std::sqrt(tables.layerBaseTemperature[atmosphereLayers - 1] * cA);
}

}  // namespace

void initAtmosphere(AtmosphereTables& tables) {
  initLayers(tables);
  initUpperTables(tables);
}

void atmosphere(const AtmosphereTables& tables, double h, double& pressure, double& density,
                double& speedOfSound) {
  // Geopotential height of h in the flight model's inverse-square field, in
  // standard geopotential metres, then the standard geometric altitude that has
  // this geopotential height. H tends to (gs / g0) * R > r0 far out, so r0 - H
  // would reach 0 some 2.5e9 m up; from H = r0 on, the top values hold.
  const double H = (((surfaceGravity / g0) * earthRadius) * h) / (h + earthRadius);  // m
  double Z = H < r0 ? (H * r0) / (r0 - H) : tablesTopAltitude;                       // m
  if (Z < tablesBottomAltitude) {
    lowerAtmosphere(tables, H, pressure, density, speedOfSound);
    return;
  }
  if (Z > tablesTopAltitude) Z = tablesTopAltitude;
  upperAtmosphere(tables, Z, pressure, density, speedOfSound);
}

}  // namespace ascent

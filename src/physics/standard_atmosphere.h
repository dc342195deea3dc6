// Static pressure, density and speed of sound from the U.S. Standard
// Atmosphere, 1976 (NOAA-S/T 76-1562): eight layers with temperature linear in
// geopotential height below 86 km standard geometric altitude, natural cubic
// splines of ln(pressure) and ln(density) through the standard's tables from 86
// to 1000 km, and the 1000 km values above.
#pragma once

#include <array>

#include "physics/spline.h"

namespace ascent {

constexpr int atmosphereLayers = 8;

// Built once per run by initAtmosphere, read-only afterwards.
struct AtmosphereTables {
  std::array<double, atmosphereLayers> layerBaseTemperature{};  // K
  std::array<double, atmosphereLayers> layerBasePressure{};     // Pa
  SplineTable lnPressureSpline;                                 // ln Pa over upperAltitude
  SplineTable lnDensitySpline;                                  // ln kg/m^3 over upperAltitude
};

void initAtmosphere(AtmosphereTables& tables);

// h: geometric altitude above the flight model's spherical Earth, m.
// Results: static pressure (Pa), density (kg/m^3), speed of sound (m/s).
void atmosphere(const AtmosphereTables& tables, double h, double& pressure, double& density,
                double& speedOfSound);

}  // namespace ascent

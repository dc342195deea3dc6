// Natural cubic spline over 16 fixed knots. On interval i (x[i] to x[i+1]) the
// spline is S(x) = a[i] + b[i]*dz + c[i]*dz^2 + d[i]*dz^3 with dz = x - x[i].
#pragma once

#include <array>

namespace ascent {

constexpr int splineKnots = 16;
using SplineKnots = std::array<double, splineKnots>;

struct SplineTable {
  SplineKnots a{};  // values at the knots, set by the caller before buildSpline
  SplineKnots b{};  // first-degree coefficients
  SplineKnots c{};  // second-degree coefficients (half the second derivative)
  SplineKnots d{};  // third-degree coefficients
};

// Fills b, c and d from the knots and the values a (natural end conditions).
void buildSpline(const SplineKnots& knots, SplineTable& table);

// The first interval i from 0 with knots[i+1] >= x, for any increasing table
// of N knots: a table of breakpoints (the spline's knots, the atmosphere's
// layer bases). An x beyond the last knot stays on the last interval N - 2
// instead of reading past the table.
template <std::size_t N>
int findInterval(const std::array<double, N>& knots, double x) {
  static_assert(N >= 2);
  int i = 0;
  while (i < static_cast<int>(N) - 2 && knots[static_cast<std::size_t>(i) + 1] < x) ++i;
  return i;
}

// S on interval i at dz from its left knot, in nested (Horner) form.
inline double splineValue(const SplineTable& table, int i, double dz) {
  return ((table.d[i] * dz + table.c[i]) * dz + table.b[i]) * dz + table.a[i];
}

}  // namespace ascent

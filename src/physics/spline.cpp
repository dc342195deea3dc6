#include "physics/spline.h"

namespace ascent {

namespace {

constexpr int intervals = splineKnots - 1;

}  // namespace

// Natural cubic spline: the second-degree coefficients solve the tridiagonal system
//   h[i-1]*c[i-1] + 2*(h[i-1]+h[i])*c[i] + h[i]*c[i+1] = alpha[i],  i = 1..14,
// with c[0] = c[15] = 0, by forward elimination and back substitution (Thomas
// algorithm); b and d then follow from continuity of S and S''. The digits of the
// atmosphere tables depend on the order of the operations below; keep it.
void buildSpline(const SplineKnots& knots, SplineTable& table) {
  const SplineKnots& x = knots;
  const SplineKnots& a = table.a;
  std::array<double, intervals> h{};  // m, interval widths
  SplineKnots alpha{};                // right-hand sides, entries 1..14
  SplineKnots l{};                    // pivots of the elimination
  SplineKnots mu{};                   // super-diagonal after elimination
  SplineKnots z{};                    // right-hand side after elimination

  for (int i = 0; i < intervals; ++i) h[i] = x[i + 1] - x[i];

  // 3*(a[i+1]-a[i])/h[i] - 3*(a[i]-a[i-1])/h[i-1], as a single fraction.
  for (int i = 1; i < intervals; ++i) {
    alpha[i] = (3 * (h[i - 1] * a[i + 1] - (x[i + 1] - x[i - 1]) * a[i] + h[i] * a[i - 1])) /
               (h[i - 1] * h[i]);
  }

  // Natural end at x[0]: c[0] = 0 enters the elimination as mu[0] = z[0] = 0.
  mu[0] = 0;
  z[0] = 0;
  for (int i = 1; i < intervals; ++i) {
    l[i] = 2 * (x[i + 1] - x[i - 1]) - h[i - 1] * mu[i - 1];
    mu[i] = h[i] / l[i];
    z[i] = (alpha[i] - h[i - 1] * z[i - 1]) / l[i];
  }

  // Natural end at x[15]; b[15] and d[15] belong to no interval and stay 0.
  table.c[intervals] = 0;
  for (int j = intervals - 1; j >= 0; --j) {
    table.c[j] = z[j] - mu[j] * table.c[j + 1];
    table.b[j] = (a[j + 1] - a[j]) / h[j] - (h[j] * (2 * table.c[j] + table.c[j + 1])) / 3;
    table.d[j] = (table.c[j + 1] - table.c[j]) / (3 * h[j]);
  }
}

}  // namespace ascent

// Polar equations of motion in the vertical plane: vx is the horizontal
// (downrange) and vy the radial component of the inertial velocity, h the
// altitude above the spherical Earth of radius R. With r = R + h,
//   dvx/dt = Fx / m - vx vy / r
//   dvy/dt = Fy / m + vx^2 / r - GM / r^2
// where -vx vy / r and vx^2 / r are the transport terms of the rotating local
// frame. The atmosphere co-rotates with the Earth, so the air-relative
// horizontal speed is vx - surfaceSpeed r / R. Thrust loses ambient pressure
// times the nozzle exit area; drag acts along the air-relative velocity.
//
// The report prints these doubles to many digits, so every expression below
// keeps the order and grouping of the model's formulas: do not "simplify".
#include "physics/integration_step.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "physics/constants.h"
#include "physics/drag.h"
#include "physics/standard_atmosphere.h"

namespace ascent {

namespace {

constexpr double R = earthRadius;
constexpr double GM = earthMu;
constexpr double halfPi = pi / 2;
// Below this air-relative horizontal speed (m/s) the air path counts as
// vertical; also the slack of the vertical-thrust clip (N).
constexpr double tolerance = 1e-6;

// The nine integrated quantities, in the order the step forms them.
enum Quantity { VX, H, VY, R0, PITCH_OFFSET, ME, MDOT, THRUST, DELTA_V, quantityCount };
using Increments = std::array<double, quantityCount>;

// The state one Runge-Kutta stage evaluates the rates at.
struct StageState {
  double vx, h, vy, po, Me, mdot, F;
};

// Air-relative velocity: horizontal speed vxa, air speed va and the air-path
// angle theta, vertical while the vehicle has no forward air speed.
struct AirPath {
  double vxa, va, theta;
};

// The atmosphere at altitude h. The state after a step is the state its next
// step starts from, so the last altitude's values are kept and handed out
// again when the same bits are asked for.
void atmosphereAt(FlightState& s, const AtmosphereTables& tables, double h, double& P, double& rho,
                  double& c) {
  if (s.atmosphereCache.valid && s.atmosphereCache.h == h) {
    P = s.atmosphereCache.P;
    rho = s.atmosphereCache.rho;
    c = s.atmosphereCache.c;
    return;
  }
  atmosphere(tables, h, P, rho, c);
  s.atmosphereCache = {true, h, P, rho, c};
}

// Keeps a quotient that nothing else reads: the division is where a
// floating-point fault of the step would trap, whether or not its angle is
// needed.
inline void keepQuotient(double quotient) {
  asm volatile("" : : "g"(quotient));
}

// The arc tangent of a slope, when the steering needs the angle at all.
inline double angleOf(double slope, bool needed) {
  keepQuotient(slope);
  return needed ? std::atan(slope) : 0.0;
}

AirPath airPath(double surfaceSpeed, double vx, double vy, double r, bool thetaNeeded = true) {
  AirPath air;
  air.vxa = vx - surfaceSpeed * r / R;
  air.va = std::sqrt(air.vxa * air.vxa + vy * vy);
  air.theta = air.vxa < tolerance ? halfPi : angleOf(vy / air.vxa, thetaNeeded);
  return air;
}

// |vy|^n of the vertical-acceleration law.
double lawPower(double vy, double n) {
  return std::exp(n * std::log(std::fabs(vy)));
}

inline bool sameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The steering angle after a step and the first stage of the next step both
// start from the law at the state the step ended in: the power is handed out
// again for the very bits it was computed from, which takes a logarithm and an
// exponential off the chain of dependent operations each step waits on. The
// bits are the same either way, and no floating-point fault is lost: the first
// evaluation raised it (or trapped) and the flags are sticky.
double rememberedLawPower(FlightState& s, double vy) {
  FlightState::PowerMemo& memo = s.powerCache;
  if (!(memo.valid && sameBits(memo.vy, vy) && sameBits(memo.n, s.lawExponent))) {
    memo = {true, vy, s.lawExponent, lawPower(vy, s.lawExponent)};
  }
  return memo.value;
}

// The vertical-acceleration law: the commanded vertical acceleration av grows
// as |vy|^n; Fy is the vertical thrust that gives it against gravity, the
// transport term and drag, and alphaC the angle of attack that points the net
// thrust Fn so, limited to +-alphaMax.
struct LawCommand {
  double av, Fy, alphaC;
  bool limited;
};

LawCommand verticalLaw(FlightState& s, double vx, double vy, double r, double m, double beta,
                       double va, double Fn, double D) {
  LawCommand law;
  law.av = s.lawGain * rememberedLawPower(s, vy);
  if (vy < 0) law.av = -law.av;
  law.Fy = m * (law.av - vx * vx / r + GM / (r * r)) + D * vy / va;
  if (Fn < law.Fy + tolerance) {
    law.Fy = Fn;
  } else if (Fn < -law.Fy + tolerance) {
    law.Fy = -Fn;
  }
  // Thrust elevation phi = arcsin(|Fy| / Fn), through its tangent 1 / k.
  const double ratio = law.Fy / Fn;
  const double k = std::sqrt(1 / (ratio * ratio) - 1);
  const double phi = k == 0 ? halfPi : std::atan(1 / k);
  law.alphaC = law.Fy > 0 ? phi - beta : -phi - beta;
  law.limited = std::fabs(law.alphaC) > s.alphaMax;
  if (law.limited) law.alphaC = law.alphaC > 0 ? s.alphaMax : -s.alphaMax;
  return law;
}

// The increments dt * rate of the nine quantities at one stage state.
Increments stageIncrements(FlightState& s, const AtmosphereTables& tables, const StageState& x) {
  const double dt = s.dt;
  const double r = R + x.h;
  const double m = x.Me + s.m0;
  // The stages need the inertial path angle beta except when thrusting along
  // the air path, and the air path angle theta only in mode 0.
  const bool alongAirPath = s.steeringMode == SteeringMode::AlongReference && s.followAirPath;
  const double beta = angleOf(x.vy / x.vx, !alongAirPath);

  AirPath air{};
  double Fn = 0;
  double D = 0;
  if (s.steeringMode != SteeringMode::Vacuum) {
    air = airPath(s.surfaceSpeed, x.vx, x.vy, r, s.steeringMode == SteeringMode::AlongReference);
    double P, rho, c;
    atmosphereAt(s, tables, x.h, P, rho, c);
    Fn = x.F - P * s.exitArea;
    if (Fn < 0) Fn = 0;
    const double q = rho * (air.va * air.va) / 2;
    D = dragCoefficient(*s.drag, air.va / c) * s.refArea * q;
  }

  Increments k;
  k[H] = dt * x.vy;
  k[R0] = dt * (x.vx * R / r - s.surfaceSpeed);
  k[PITCH_OFFSET] = dt * s.pitchRate;
  k[ME] = dt * x.mdot;
  k[MDOT] = dt * s.mdotRate;
  k[THRUST] = dt * s.thrustRate;
  k[DELTA_V] = dt * x.F / m;

  switch (s.steeringMode) {
    case SteeringMode::AlongReference: {
      const double psi = s.followAirPath ? air.theta + x.po : s.alpha + beta + x.po;
      k[VX] = dt * ((Fn * std::cos(psi) - D * std::cos(air.theta)) / m - x.vx * x.vy / r);
      k[VY] = dt *
              ((Fn * std::sin(psi) - D * std::sin(air.theta)) / m + x.vx * x.vx / r - GM / (r * r));
      break;
    }
    case SteeringMode::VerticalLaw: {
      if (s.lawInitPending) {
        // The gain that makes the law command the vertical acceleration the
        // vehicle has now at the held alpha, so the law starts without a jump.
        s.lawGain = ((Fn * std::sin(s.alpha + beta) - D * x.vy / air.va) / m + x.vx * x.vx / r -
                     GM / (r * r)) /
                    lawPower(x.vy, s.lawExponent);
        s.lawInitPending = false;
      }
      const LawCommand law = verticalLaw(s, x.vx, x.vy, r, m, beta, air.va, Fn, D);
      if (law.limited) {
        const double psi = law.alphaC + beta;
        k[VX] = dt * ((Fn * std::cos(psi) - D * air.vxa / air.va) / m - x.vx * x.vy / r);
        k[VY] =
            dt * ((Fn * std::sin(psi) - D * x.vy / air.va) / m + x.vx * x.vx / r - GM / (r * r));
      } else {
        // Flyable within the limit: the rest of the thrust is taken forward.
        k[VX] = dt * ((std::sqrt(Fn * Fn - law.Fy * law.Fy) - D * air.vxa / air.va) / m -
                      x.vx * x.vy / r);
        k[VY] = dt * law.av;
      }
      break;
    }
    case SteeringMode::Vacuum: {
      const double aT = x.F / m;
      const double psi = x.po + beta;
      k[VX] = dt * (aT * std::cos(psi) - x.vx * x.vy / r);
      k[VY] = dt * (x.vx * x.vx / r + aT * std::sin(psi) - GM / (r * r));
      break;
    }
  }
  return k;
}

StageState currentState(const FlightState& s) {
  return StageState{s.vx, s.h0, s.vy, s.pitchOffset, s.Me, s.mdot, s.thrust};
}

StageState offsetState(const FlightState& s, const Increments& k, double c) {
  return StageState{s.vx + c * k[VX],        s.h0 + c * k[H],
                    s.vy + c * k[VY],        s.pitchOffset + c * k[PITCH_OFFSET],
                    s.Me + c * k[ME],        s.mdot + c * k[MDOT],
                    s.thrust + c * k[THRUST]};
}

double rungeKuttaIncrement(const Increments& k1, const Increments& k2, const Increments& k3,
                           const Increments& k4, int i) {
  return (k1[i] + 2 * (k2[i] + k3[i]) + k4[i]) / 6;
}

}  // namespace

// Flattened: with the four stages and their helpers inlined, a stage's values
// stay in registers for the next one; this saves about a tenth of a mission.
[[gnu::flatten]] void integrateStep(FlightState& s, const AtmosphereTables& tables) {
  // k1 at the current state, k2 and k3 at the half-step states built from the
  // previous stage's increments, k4 at the full step.
  const Increments k1 = stageIncrements(s, tables, currentState(s));
  const Increments k2 = stageIncrements(s, tables, offsetState(s, k1, 0.5));
  const Increments k3 = stageIncrements(s, tables, offsetState(s, k2, 0.5));
  const Increments k4 = stageIncrements(s, tables, offsetState(s, k3, 1.0));

  s.vx += rungeKuttaIncrement(k1, k2, k3, k4, VX);
  s.h0 += rungeKuttaIncrement(k1, k2, k3, k4, H);
  s.vy += rungeKuttaIncrement(k1, k2, k3, k4, VY);
  s.r0 += rungeKuttaIncrement(k1, k2, k3, k4, R0);
  s.pitchOffset += rungeKuttaIncrement(k1, k2, k3, k4, PITCH_OFFSET);
  s.Me += rungeKuttaIncrement(k1, k2, k3, k4, ME);
  s.mdot += rungeKuttaIncrement(k1, k2, k3, k4, MDOT);
  s.thrust += rungeKuttaIncrement(k1, k2, k3, k4, THRUST);
  s.deltaV += rungeKuttaIncrement(k1, k2, k3, k4, DELTA_V);
  s.t += s.dt;

  // Derived values of the new state.
  const double r = R + s.h0;
  s.vi = std::sqrt(s.vx * s.vx + s.vy * s.vy);
  const double m = s.Me + s.m0;
  s.beta = std::atan(s.vy / s.vx);
  const AirPath air = airPath(s.surfaceSpeed, s.vx, s.vy, r);
  s.theta = air.theta;
  s.va = air.va;

  s.q = 0;
  s.Fn = s.thrust;
  s.Cq = 0;
  if (s.steeringMode != SteeringMode::Vacuum) {
    double P, rho, c;
    atmosphereAt(s, tables, s.h0, P, rho, c);
    s.q = rho * (air.va * air.va) / 2;
    s.Fn = s.thrust - P * s.exitArea;
    if (s.Fn < 0) s.Fn = 0;
    s.Cq = dragCoefficient(*s.drag, air.va / c) * s.q;
  }
  s.a = s.Fn / m;
}

void updateSteeringAngle(FlightState& s) {
  const double D = s.refArea * s.Cq;
  switch (s.steeringMode) {
    case SteeringMode::AlongReference:
      if (s.followAirPath) s.alpha = s.theta - s.beta;  // the pitch offset is not included
      break;
    case SteeringMode::VerticalLaw: {
      const double r = R + s.h0;
      const double m = s.Me + s.m0;
      s.alpha = verticalLaw(s, s.vx, s.vy, r, m, s.beta, s.va, s.Fn, D).alphaC;
      break;
    }
    case SteeringMode::Vacuum:
      s.alpha = 0;
      break;
  }
}

void updateOsculatingOrbit(FlightState& s) {
  // Osculating orbit from the inertial state: vis-viva for the semi-major
  // axis, the specific angular momentum vx r for the eccentricity.
  const double r = R + s.h0;
  s.sma = 1 / (2 / r - (s.vx * s.vx + s.vy * s.vy) / GM);
  const double e2 = 1 - (s.vx * r) * (s.vx * r) / (GM * s.sma);
  s.ecc = e2 >= 0 ? std::sqrt(e2) : 1;
  s.perigee = (1 - s.ecc) * s.sma - R;
  s.apogee = (1 + s.ecc) * s.sma - R;
}

}  // namespace ascent

#!/usr/bin/env python3
"""Generates data/s1.dat, the shipped thrust history of one solid booster.

The curve is a vacuum-thrust trace of one large segmented solid rocket motor,
designed from a handful of defining points (see SHAPE below) joined by a
monotone piecewise-cubic (Fritsch-Carlson) interpolant:

  * ignition: thrust rises linearly from 0 at t = 0 to the first record, so
    lift-off (sea-level thrust of core + boosters = weight) falls inside the
    first record interval;
  * a short regressive phase from the early peak down to a bucket around the
    time of maximum dynamic pressure (the flight loads are relieved there);
  * a progressive recovery after the bucket, then a regressive decline;
  * web burn-out and a sliver tail-off that reaches zero a few seconds before
    booster separation at 130.2 s; zero thrust from there to the end of file.

The shape between the ignition region and the tail-off is scaled by one
factor, found by bisection, so that the total impulse divided by the booster
exhaust velocity (2756.6 m/s) uses the loaded 680388.6 kg of propellant up to
a small residual (RESIDUAL_TARGET) at separation, computed exactly as the
booster phase computes it from the written file (trapezoidal rule over the
records as they are read back).

Records are written at k * 0.986832971065 s (k = 1, 2, ...), time and thrust
each with 12 decimals. Only the Python 3 standard library is used.

Usage: python3 tools/make_thrust_curve.py [output path]   (default data/s1.dat)
"""

import argparse
from decimal import Decimal
import math
import os
import sys

# Record layout.
RECORD_INTERVAL = Decimal("0.986832971065")   # s between records
RECORD_INTERVAL_LIMIT = 0.986833971065        # largest increment accepted
RECORD_COUNT = 160                            # last record at about 157.9 s

# Vehicle values the curve has to match.
EXHAUST_VELOCITY = 2756.6          # m/s, booster effective exhaust velocity
PROPELLANT_LOADED = 680388.6       # kg per booster
SEPARATION_TIME = 130.2            # s
LIFTOFF_MASS = 2955067.6           # kg, core stage + boosters + upper stack
CORE_THRUST = 9115295.04           # N vacuum, core engines together
CORE_EXHAUST_VELOCITY = 4436.5     # m/s
EXIT_AREA = math.pi * 2 * 15.01407504 / 4 + 16.68220083888478   # m^2, boosters + core
SEA_LEVEL_LOSS = EXIT_AREA * 101325.0                            # N
SURFACE_GRAVITY = 9.798200881516824                              # m/s^2

RESIDUAL_TARGET = 500.0            # kg per booster left at separation

# First record: vacuum thrust of one booster at t1 = RECORD_INTERVAL. Chosen so
# that the lift-off thrust-to-weight ratio of the whole vehicle is about 1.55.
FIRST_THRUST = 20.0e6              # N

# Defining points of the trace after the first record: (time s, thrust MN).
# The core stage alone (thrust-to-weight about 0.8 after separation) needs a
# fast, fairly steep trajectory at 130.2 s, but every metre per second spent
# climbing in the booster phase is paid for again by the upper stage. The trace
# is therefore a long, moderate plateau (about 20.5 MN for the first 22 s)
# rather than a sharp early spike, a shallow bucket where the dynamic pressure
# peaks (about 45-55 s), a progressive recovery that keeps the vehicle
# accelerating into thin air, and an early tail-off: the impulse is delivered
# sooner, with less gravity loss, and the trajectory stays flat enough that the
# upper stage reaches a 200 km orbit with propellant to spare when the core
# stage is allowed about 24 degrees angle of attack. Points between SCALE_FROM
# and SCALE_TO are multiplied by the impulse factor; the plateau and the end of
# the tail-off are kept.
SHAPE = [
    (3.0, 19.70),    # pressure settles after ignition
    (8.0, 20.60),    # early peak: start of the plateau
    (21.8, 20.50),
    (29.8, 18.90),   # regressive: burning surface shrinks
    (35.4, 17.07),
    (41.4, 15.48),
    (45.4, 15.00),   # bucket around maximum dynamic pressure
    (53.0, 15.00),
    (61.0, 15.46),   # progressive recovery
    (73.0, 16.10),
    (83.3, 16.30),
    (98.5, 15.60),   # regressive again towards web burn-out
    (106.5, 14.40),
    (111.5, 12.61),  # web burn-out: sliver tail-off begins
    (115.5, 7.82),
    (119.0, 3.48),
    (122.0, 0.98),
    (124.5, 0.00),   # end of tail-off, 5.7 s before separation
]
SCALE_FROM = 28.0
SCALE_TO = 116.0


def pchip(xs, ys):
    """Monotone cubic Hermite interpolant (Fritsch-Carlson) through the points."""
    n = len(xs)
    h = [xs[i + 1] - xs[i] for i in range(n - 1)]
    d = [(ys[i + 1] - ys[i]) / h[i] for i in range(n - 1)]
    m = [0.0] * n
    m[0], m[-1] = d[0], d[-1]
    for i in range(1, n - 1):
        if d[i - 1] * d[i] <= 0.0:
            m[i] = 0.0
        else:
            w1 = 2 * h[i] + h[i - 1]
            w2 = h[i] + 2 * h[i - 1]
            m[i] = (w1 + w2) / (w1 / d[i - 1] + w2 / d[i])
    # Endpoint slopes must not overshoot.
    for i, j in ((0, 0), (n - 1, n - 2)):
        if m[i] * d[j] <= 0.0:
            m[i] = 0.0
        elif abs(m[i]) > 3 * abs(d[j]):
            m[i] = 3 * d[j]

    def f(x):
        if x <= xs[0]:
            return ys[0]
        if x >= xs[-1]:
            return ys[-1]
        i = max(k for k in range(n - 1) if xs[k] <= x)
        s = (x - xs[i]) / h[i]
        h00 = (1 + 2 * s) * (1 - s) ** 2
        h10 = s * (1 - s) ** 2
        h01 = s * s * (3 - 2 * s)
        h11 = s * s * (s - 1)
        return h00 * ys[i] + h10 * h[i] * m[i] + h01 * ys[i + 1] + h11 * h[i] * m[i + 1]

    return f


def records(scale):
    """The file's lines as (time text, thrust text) for a given shape scale."""
    t1 = float(RECORD_INTERVAL)
    xs = [t1] + [t for t, _ in SHAPE]
    ys = [FIRST_THRUST] + [
        f * 1e6 * (scale if SCALE_FROM <= t <= SCALE_TO else 1.0) for t, f in SHAPE
    ]
    curve = pchip(xs, ys)
    end = SHAPE[-1][0]
    lines = []
    for k in range(1, RECORD_COUNT + 1):
        t = RECORD_INTERVAL * k              # exact decimal, 12 decimals
        tf = float(t)
        thrust = 0.0 if tf >= end else round(max(curve(tf), 0.0))  # whole newtons
        lines.append((f"{t:.12f}", f"{thrust:.12f}"))
    return lines


def residual(lines):
    """Propellant left in one booster at separation, as the booster phase gets it."""
    used = 0.0
    prev_t = prev_f = 0.0
    for n, (ts, fs) in enumerate(lines):
        t, f = float(ts), float(fs)
        dt = t - prev_t
        if n == 0:
            used = f * 0.5 * dt / EXHAUST_VELOCITY
        else:
            used = used + (prev_f + f) * 0.5 * dt / EXHAUST_VELOCITY
        if t >= SEPARATION_TIME:
            r = t - SEPARATION_TIME        # unflown part of the last interval
            used = used - (f - 0.5 * r * (f - prev_f) / (t - prev_t)) * r / EXHAUST_VELOCITY
            return PROPELLANT_LOADED - used
        prev_t, prev_f = t, f
    raise ValueError("file ends before separation")


def liftoff_time(lines):
    """Closed-form lift-off root in the first record interval."""
    t1, f1 = float(lines[0][0]), float(lines[0][1])
    g = SURFACE_GRAVITY
    thrust_rate = f1 * 2 / t1
    mdot_rate = -thrust_rate / EXHAUST_VELOCITY
    mdot = -CORE_THRUST / CORE_EXHAUST_VELOCITY
    a = -g * mdot_rate / 2
    b = -g * mdot + thrust_rate
    c = (CORE_THRUST - SEA_LEVEL_LOSS) - LIFTOFF_MASS * g
    return (math.sqrt(b * b - 4 * a * c) - b) / (2 * a)


def check(lines):
    prev = Decimal(0)
    for n, (ts, _) in enumerate(lines):
        t = Decimal(ts)
        step = t - prev
        assert step > 0, f"line {n + 1}: time does not increase"
        if n > 0:
            assert step <= Decimal("0.986833971065"), f"line {n + 1}: increment {step}"
            assert float(ts) - float(lines[n - 1][0]) <= RECORD_INTERVAL_LIMIT
        prev = t
    assert float(lines[-1][0]) >= 150.0
    tl = liftoff_time(lines)
    t1 = float(lines[0][0])
    assert 0.2 * t1 < tl < 0.8 * t1, f"lift-off at {tl} s is not well inside the first interval"
    return tl


class OneLineErrorParser(argparse.ArgumentParser):
    """Refuses bad arguments with one line and exit status 2, like the shell tools."""

    def error(self, message):
        self.exit(2, f"{self.prog}: {message} (see --help)\n")


def parse_arguments():
    default = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "s1.dat")
    parser = OneLineErrorParser(
        prog="make_thrust_curve.py",
        description="Generates the shipped booster thrust history: records every "
        f"{RECORD_INTERVAL} s, time (s) and vacuum thrust of one booster (N), "
        "then prints a summary of the curve on standard error.",
        epilog="Exit status: 0 when the file is written; 1 when a check of the curve fails; "
        "2 on a usage error.")
    parser.add_argument("output", nargs="?", default=default,
                        help="file to write (default: data/s1.dat of this repository)")
    return parser.parse_args()


def main():
    out = parse_arguments().output
    lo, hi = 0.8, 1.2
    for _ in range(200):
        mid = (lo + hi) / 2
        if residual(records(mid)) > RESIDUAL_TARGET:
            lo = mid
        else:
            hi = mid
    scale = (lo + hi) / 2
    lines = records(scale)
    tl = check(lines)
    with open(out, "w", encoding="ascii", newline="\n") as fh:
        for ts, fs in lines:
            fh.write(f"{ts} {fs}\n")

    thrusts = [float(f) for _, f in lines]
    times = [float(t) for t, _ in lines]
    impulse = sum((a + b) * 0.5 * float(RECORD_INTERVAL) for a, b in zip([0.0] + thrusts, thrusts))
    peak = max(thrusts)
    burn = [i for i, f in enumerate(thrusts) if 30 < times[i] < 80]
    bucket = min(burn, key=lambda i: thrusts[i])
    last = max(i for i, f in enumerate(thrusts) if f > 0)
    f1 = thrusts[0]
    weight = LIFTOFF_MASS * SURFACE_GRAVITY
    print(f"wrote {out}: {len(lines)} records, last at {times[-1]:.3f} s", file=sys.stderr)
    print(f"shape scale {scale:.6f}", file=sys.stderr)
    print(f"peak {peak / 1e6:.3f} MN at {times[thrusts.index(peak)]:.2f} s; "
          f"bucket {thrusts[bucket] / 1e6:.3f} MN at {times[bucket]:.2f} s; "
          f"last non-zero record {times[last]:.2f} s, zero from {times[last + 1]:.2f} s",
          file=sys.stderr)
    print(f"total impulse {impulse:.6e} N s per booster; "
          f"residual at separation {residual(lines):.1f} kg", file=sys.stderr)
    print(f"lift-off at {tl:.4f} s (first record {times[0]:.4f} s); "
          f"T/W at first record {(CORE_THRUST + 2 * f1 - SEA_LEVEL_LOSS) / weight:.3f}",
          file=sys.stderr)


if __name__ == "__main__":
    main()

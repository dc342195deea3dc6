#!/usr/bin/env python3
"""A sweep of turn times as a pandas DataFrame: the converged designs, the
best one, and the spacecraft mass gained per second of turn time.

Needs pandas (Debian: apt-get install python3-pandas).

Usage: python3 sweep_pandas.py [FROM TO STEP] (default: 10 30 2 seconds)
"""

import sys

import numpy as np

try:
    import pandas  # noqa: F401  (Table.to_pandas imports it)
except ImportError:
    print("sweep_pandas.py needs pandas: apt-get install python3-pandas", file=sys.stderr)
    sys.exit(77)  # skipped, as the tests count it

import ascent

start, stop, step = sys.argv[1:4] if len(sys.argv) > 3 else ("10", "30", "2")
# The range as `ascent sweep --turn-time FROM:TO:STEP` takes it; every core,
# the interpreter lock released.
table = ascent.sweep(f"{start}:{stop}:{step}")
frame = table.to_pandas().set_index("turn_time_s")
converged = frame[frame.verdict == "converged"]

columns = ["limit_deg", "perigee_m", "apogee_m", "remaining_propellant_kg", "SC_M_kg"]
with pandas.option_context("display.width", 120, "display.float_format", "{:.1f}".format):
    print(converged[columns])
    print()
    print("SC_M gained per second of turn time (kg/s):")
    print(converged.SC_M_kg.diff().div(np.diff(converged.index, prepend=np.nan)).dropna())
best = table.best  # the best row, or None
if best is not None:
    print(f"\nBest design: turn time {best['turn_time_s']:g} s, limit {best['limit_deg']:.4f} deg, "
          f"SC_M {best['SC_M_kg']:.0f} kg")

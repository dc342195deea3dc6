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

start, stop, step = (float(x) for x in sys.argv[1:4]) if len(sys.argv) > 3 else (10, 30, 2)
# The turn times FROM + k * STEP up to TO, as `ascent sweep --turn-time FROM:TO:STEP` takes them.
turn_times = start + step * np.arange(int(np.floor((stop - start) / step + 1e-6)) + 1)

table = ascent.sweep(turn_times, jobs=0)  # every core, the interpreter lock released
frame = table.to_pandas().set_index("turn_time_s")
converged = frame[frame.verdict == "converged"]

columns = ["limit_deg", "perigee_m", "apogee_m", "remaining_propellant_kg", "sc_m_kg"]
with pandas.option_context("display.width", 120, "display.float_format", "{:.1f}".format):
    print(converged[columns])
    print()
    print("SC_M gained per second of turn time (kg/s):")
    print(converged.sc_m_kg.diff().div(np.diff(converged.index, prepend=np.nan)).dropna())
if table.best is not None:
    best = frame.iloc[table.best]
    print(f"\nBest design: turn time {best.name:g} s, limit {best.limit_deg:.4f} deg, "
          f"SC_M {best.sc_m_kg:.0f} kg")

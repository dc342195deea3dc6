#!/usr/bin/env python3
"""A dispersion campaign's spacecraft mass SC_M as a histogram with matplotlib,
with the 1 % and 99 % percentiles and the chance of success (an orbit with
propellant left).

Needs matplotlib (Debian: apt-get install python3-matplotlib).

Usage: python3 dispersion_histogram.py [OUT.png] [RUNS] [DISPERSION_FILE]
(default: SC_M.png, 200 runs of the project's data/dispersions.toml, seed 1,
turn time 18 s, the limit targeted on the nominal vehicle).
"""

import os
import sys

try:
    import matplotlib

    matplotlib.use("Agg")  # write a file; no display needed
    import matplotlib.pyplot as plt
except ImportError:
    print("dispersion_histogram.py needs matplotlib: apt-get install python3-matplotlib",
          file=sys.stderr)
    sys.exit(77)  # skipped, as the tests count it

import numpy as np

import ascent

here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else "SC_M.png"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 200
dispersion_file = (sys.argv[3] if len(sys.argv) > 3
                   else os.path.join(here, "..", "..", "data", "dispersions.toml"))

campaign = ascent.dispersions(dispersion_file, runs, seed=1, turn_time_s=18)
rows = campaign.rows  # one numpy array per CSV column
# SC_M of every run that reached a closed orbit (NaN for the others); the
# successes (an orbit with propellant left) and the others stacked. The
# summary's statistics take the orbits.
closed = ~np.isnan(rows.SC_M_kg)
sc_m = rows.SC_M_kg[closed]
success = (rows.outcome[closed] == "orbit") & (rows.remaining_propellant_kg[closed] >= 0)
statistics = campaign["outputs"]["SC_M_kg"]
chance = campaign["success"]

figure, axes = plt.subplots(figsize=(8, 5))
axes.hist([sc_m[success], sc_m[~success]], bins=min(40, max(5, len(sc_m) // 5)), stacked=True,
          color=["tab:green", "tab:red"], alpha=0.7, label=["success", "not a success"])
for percent in ("1", "99"):  # the keys of the JSON summary
    axes.axvline(statistics["percentiles"][percent], color="black", linestyle="--",
                 label=f"{percent} %: {statistics['percentiles'][percent]:.0f} kg")
axes.set_xlabel("spacecraft mass SC_M (kg)")
axes.set_ylabel("runs")
low, high = chance["wilson95"]
axes.set_title(f"{campaign['runs']} runs, limit {campaign['campaign']['limit_deg']:.4f} deg: "
               f"success {chance['share']:.3f} (95 %: {low:.3f} to {high:.3f})")
axes.legend()
axes.grid(True)
figure.tight_layout()
figure.savefig(out, dpi=100)
print(f"{out}: SC_M {statistics['mean']:.0f} +- {statistics['standard_deviation']:.0f} kg "
      f"over {statistics['count']} orbits")

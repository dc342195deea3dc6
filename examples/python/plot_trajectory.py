#!/usr/bin/env python3
"""One mission's trajectory charted with matplotlib: altitude and speed, and
dynamic pressure and angle of attack, against mission time.

Needs matplotlib (Debian: apt-get install python3-matplotlib).

Usage: python3 plot_trajectory.py [OUT.png] [TURN_TIME_S LIMIT_DEG]
(default: trajectory.png, the mission 18 s, 24.06 deg).
"""

import sys

try:
    import matplotlib

    matplotlib.use("Agg")  # write a file; no display needed
    import matplotlib.pyplot as plt
except ImportError:
    print("plot_trajectory.py needs matplotlib: apt-get install python3-matplotlib", file=sys.stderr)
    sys.exit(77)  # skipped, as the tests count it

import ascent

out = sys.argv[1] if len(sys.argv) > 1 else "trajectory.png"
turn_time_s, limit_deg = (float(x) for x in sys.argv[2:4]) if len(sys.argv) > 3 else (18, 24.06)

flight = ascent.fly(turn_time_s, limit_deg, trajectory=True)
t = flight.trajectory  # one numpy array per column, units in the names

figure, (top, bottom) = plt.subplots(2, 1, sharex=True, figsize=(9, 7))
top.plot(t.time_s, t.altitude_m / 1000, label="altitude (km)")
top.set_ylabel("altitude (km)")
speed = top.twinx()
speed.plot(t.time_s, t.speed_mps / 1000, color="tab:orange", label="inertial speed (km/s)")
speed.set_ylabel("inertial speed (km/s)")
top.set_title(f"Turn time {turn_time_s:g} s, limit {limit_deg:g} deg: {flight.outcome}, "
              f"{flight.perigee_m / 1000:.1f} x {flight.apogee_m / 1000:.1f} km")
bottom.plot(t.time_s, t.dynamic_pressure_Pa / 1000, label="dynamic pressure (kPa)")
bottom.plot(t.time_s, t.angle_of_attack_deg, label="angle of attack (deg)")
bottom.set_xlabel("mission time (s)")
bottom.legend()
for axes in (top, bottom):
    axes.grid(True)
figure.tight_layout()
figure.savefig(out, dpi=100)
print(f"{out}: {len(t)} steps, SC_M {flight.sizing.SC_M_kg:.0f} kg")

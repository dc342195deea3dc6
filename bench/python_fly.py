#!/usr/bin/env python3
"""The cost of a mission flown from Python, against the C++ no-output mission.

Flies the benchmark's mission (the tests' booster thrust curve, turn time
10 s, limit 3 deg: BM_MissionNoOutput in bench/mission_bench.cpp) from Python
and compares:
  * one `ascent.fly` call with the C++ mission alone (ascent_bench
    --benchmark_filter=BM_MissionNoOutput): at most 1.15 times as long;
  * missions flown by two Python threads at once with those flown by one:
    at least 1.8 times as many per second (the interpreter lock is released
    while flying; needs two idle cores).
Times are CPU times for the single mission (the machine may be shared) and
wall-clock times for the threads, with the cores the two threads kept busy:
on a loaded machine the speed-up falls short, but more than one core busy
still shows the threads flying at once, and the C++ thread pool alone (a
sweep on one thread and on two) shows what the machine allows at the time.

Usage: PYTHONPATH=build/release/python python3 bench/python_fly.py
           [--bench build/release/bench/ascent_bench] [--missions N]
Exit status: 0 when both bounds hold, 1 otherwise.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import threading
import time

import ascent

INTERVAL = 0.986832971065  # s, the nominal record interval


def benchmark_thrust():
    """The tests' thrust curve (tests/support/thrust_curve.h), as its file text."""
    lines = []
    k = 0
    while True:
        t = INTERVAL + k * INTERVAL
        if t > 160.0:
            break
        thrust = 20e6
        if t >= 126.0:
            thrust = 0.0
        elif t > 120.0:
            thrust = 20e6 * (126.0 - t) / (126.0 - 120.0)
        lines.append("%.12f %.12f\n" % (t, thrust))
        k += 1
    with tempfile.NamedTemporaryFile("w", suffix=".dat", delete=False) as file:
        file.writelines(lines)
    try:
        return ascent.ThrustHistory.from_file(file.name)
    finally:
        os.unlink(file.name)


def cpp_mission_s(bench):
    out = subprocess.run(
        [bench, "--benchmark_filter=BM_MissionNoOutput$", "--benchmark_format=json",
         "--benchmark_repetitions=5"],
        capture_output=True, text=True, check=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    assert all(b["time_unit"] == "us" for b in runs)
    return min(b["cpu_time"] for b in runs) * 1e-6


def python_mission_s(history, missions):
    best = float("inf")
    for _ in range(5):
        start = time.process_time()
        for _ in range(missions):
            ascent.fly(10, 3, thrust=history)
        best = min(best, (time.process_time() - start) / missions)
    return best


def missions_per_second(history, threads, missions):
    def fly():
        for _ in range(missions):
            ascent.fly(10, 3, thrust=history)

    best, cores = 0.0, 0.0
    for _ in range(3):
        workers = [threading.Thread(target=fly) for _ in range(threads)]
        start, start_cpu = time.perf_counter(), time.process_time()
        for worker in workers:
            worker.start()
        for worker in workers:
            worker.join()
        wall = time.perf_counter() - start
        if threads * missions / wall > best:
            best, cores = threads * missions / wall, (time.process_time() - start_cpu) / wall
    return best, cores


def cpp_thread_speedup(history):
    """The same comparison with the C++ thread pool alone (a sweep on one and
    on two threads): what the machine allows at the moment."""
    turn_times = [5 + 0.5 * k for k in range(40)]
    rates = {}
    for jobs in (1, 2):
        best = float("inf")
        for _ in range(3):
            start = time.perf_counter()
            ascent.sweep(turn_times, jobs=jobs, thrust=history)
            best = min(best, time.perf_counter() - start)
        rates[jobs] = 1 / best
    return rates[2] / rates[1]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench", default=os.path.join(here, "..", "build", "release", "bench",
                                                        "ascent_bench"))
    parser.add_argument("--missions", type=int, default=300)
    args = parser.parse_args()

    history = benchmark_thrust()
    flight = ascent.fly(10, 3, thrust=history)
    if flight.outcome != "orbit":
        sys.exit("the benchmark's mission did not reach orbit")
    cpp = cpp_mission_s(args.bench)
    py = python_mission_s(history, args.missions)
    one, _ = missions_per_second(history, 1, args.missions)
    two, cores = missions_per_second(history, 2, args.missions)
    control = cpp_thread_speedup(history)
    ratio, speedup = py / cpp, two / one
    print(f"C++ mission (BM_MissionNoOutput, CPU): {cpp * 1e6:8.1f} us")
    print(f"ascent.fly from Python (CPU):          {py * 1e6:8.1f} us  = {ratio:.3f} x C++"
          f"  (bound 1.15)")
    print(f"one thread:  {one:7.0f} missions/s")
    print(f"two threads: {two:7.0f} missions/s  = {speedup:.2f} x one  (bound 1.8),"
          f" {cores:.2f} of {os.cpu_count()} cores busy (at most 1 if the lock were held;"
          f" load average {os.getloadavg()[0]:.1f})")
    print(f"C++ thread pool alone, two threads:      {control:.2f} x one (what the machine allows now)")
    return 0 if ratio <= 1.15 and speedup >= 1.8 else 1


if __name__ == "__main__":
    sys.exit(main())

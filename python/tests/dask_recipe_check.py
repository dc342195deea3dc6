#!/usr/bin/env python3
"""The Dask recipe as shipped (examples/python/dask_dispersions.py) on a
LocalCluster of two worker processes: 300 runs in 4 shards, merged, are the
bytes of the CSV and manifest the program writes flying them in one process.

Usage: dask_recipe_check.py EXAMPLE PROGRAM DISPERSION_FILE THRUST_FILE
Exit status 77 (skipped) when dask.distributed is missing, unless CI is set.
"""

import importlib.util
import os
import subprocess
import sys
import tempfile

example, program, dispersions, thrust = sys.argv[1:5]
if importlib.util.find_spec("distributed") is None:
    print("dask.distributed is missing (Debian: python3-distributed): the Dask recipe is "
          "not tested", file=sys.stderr)
    sys.exit(1 if os.environ.get("CI") else 77)

# No --limit: each shard targets the nominal vehicle on its own, as one process does once.
campaign = ["--thrust", thrust, "--seed", "5", "--turn-time", "18"]
with tempfile.TemporaryDirectory(prefix="ascent-dask.") as work:
    subprocess.run([sys.executable, example, dispersions, "300", "4", f"{work}/dask.csv",
                    "--workers", "2", *campaign], check=True, timeout=100)
    subprocess.run([program, "dispersions", dispersions, "--runs", "300", "--csv",
                    f"{work}/one.csv", *campaign], check=True, stdout=subprocess.DEVNULL, timeout=60)
    for suffix in (".csv", ".manifest.toml"):
        merged, whole = (open(f"{work}/{n}{suffix}").read().split("\n") for n in ("dask", "one"))
        if merged != whole:
            line = next((n for n, (a, b) in enumerate(zip(merged, whole), 1) if a != b), "the end")
            sys.exit(f"dask{suffix} differs from one process's at line {line}")
print("4 shards on 2 Dask workers merge to the bytes of one process")

#!/usr/bin/env python3
"""A dispersion campaign flown in shards on a Dask cluster and merged into the
CSV file (and manifest) that one process writes for the same campaign.

Each shard is one task: ascent.dispersions(FILE, runs=range(A, B), ...,
csv=OUT-shard-I.csv) on a worker, one thread each; the client then merges the
shards with ascent.merge, which checks that every run is there once and that
every row is the campaign's. The workers write the shards and the client
reads them by the same names: on several machines OUT must be on a file
system they share, and FILE and the thrust file at the same paths on each.

Needs dask.distributed (Debian: apt-get install python3-distributed).

Usage: python3 dask_dispersions.py FILE RUNS SHARDS OUT.csv [--seed S]
  [--turn-time S] [--limit DEG] [--thrust FILE] [--workers N]
  [--scheduler ADDRESS]
(defaults: seed 1, turn time 18 s, the limit targeted on the nominal vehicle,
the package's thrust history, a LocalCluster of 2 worker processes; with
--scheduler the cluster already running at ADDRESS, e.g. tcp://host:8786).
"""

import argparse
import os
import sys

try:
    import dask
    from dask.distributed import Client, LocalCluster
except ImportError:
    print("dask_dispersions.py needs dask.distributed: apt-get install python3-distributed",
          file=sys.stderr)
    sys.exit(77)  # skipped, as the tests count it

import ascent


def fly_shard(file, first, end, seed, turn_time_s, limit_deg, thrust_file, csv):
    """One shard on a worker: its rows and manifest into `csv`; its run count back."""
    thrust = None if thrust_file is None else ascent.ThrustHistory.from_file(thrust_file)
    shard = ascent.dispersions(file, range(first, end), seed, turn_time_s, limit_deg=limit_deg,
                               thrust=thrust, jobs=1, csv=csv)
    return shard["runs"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("file")
    parser.add_argument("runs", type=int)
    parser.add_argument("shards", type=int)
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--turn-time", type=float, default=18.0)
    parser.add_argument("--limit", type=float)
    parser.add_argument("--thrust")
    parser.add_argument("--workers", type=int, default=2)
    parser.add_argument("--scheduler")
    a = parser.parse_args()
    if not 1 <= a.shards <= a.runs:
        parser.error("SHARDS must be 1 to RUNS")

    base = a.out[:-4] if a.out.endswith(".csv") else a.out
    # Shard I (1 ... SHARDS) takes runs from (I-1)*RUNS/SHARDS up to I*RUNS/SHARDS.
    shards = [(i * a.runs // a.shards, (i + 1) * a.runs // a.shards, f"{base}-shard-{i + 1}.csv")
              for i in range(a.shards)]
    # Quiet workers: only the results on standard output, only errors on standard error.
    dask.config.set({"logging.distributed": "error"})
    if a.scheduler:
        cluster, client = None, Client(a.scheduler)
    else:
        cluster = LocalCluster(n_workers=a.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    try:
        futures = [client.submit(fly_shard, a.file, first, end, a.seed, a.turn_time, a.limit,
                                 a.thrust, csv, pure=False)
                   for first, end, csv in shards]
        flown = sum(client.gather(futures))
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    campaign = ascent.merge([csv for _, _, csv in shards], a.out)
    success = campaign["success"]
    print(f"Merged {len(shards)} shards ({flown} runs) into {a.out}: success {success['share']:.4f}"
          f" ({success['successes']} of {campaign['runs']})")


if __name__ == "__main__":
    main()

#!/usr/bin/env bash
# A sweep spread over shards with GNU parallel and merged into one CSV that
# holds the same bytes as one `ascent sweep` over the whole range.
# Usage: tools/parallel_sweep.sh ASCENT FROM:TO:STEP SHARDS OUT.csv [sweep options...]
# PARALLEL_OPTIONS adds GNU parallel options: to spread the shards over
# machines, e.g. PARALLEL_OPTIONS="--sshlogin 2/host1,2/host2,: --basefile s1.dat"
# (each machine needs ascent at the same path; the rows come back on stdout).
set -euo pipefail
ascent=$1 range=$2 shards=$3 out=$4
shift 4
parts=$(mktemp)
trap 'rm -f "$parts"' EXIT
# One thread per shard: the shards are the parallelism. Shard 1 writes the
# header; --keep-order puts its output first. Each shard's summary goes to
# standard error.
# shellcheck disable=SC2086
parallel --keep-order --halt now,fail=1 ${PARALLEL_OPTIONS:-} \
  "$ascent" sweep --turn-time "$range" --shard {}/"$shards" --jobs 1 "$@" \
  ::: $(seq 1 "$shards") >"$parts"
# The header, then every shard's rows in turn-time order.
{
  head -n 1 "$parts"
  tail -n +2 "$parts" | LC_ALL=C sort -t, -k1,1g
} >"$out"
# The best design over all shards: converged, propellant left, largest SC_M.
awk -F, 'NR > 1 && $3 == "converged" && $8 >= 0 && (best == "" || $9 > best) { best = $9; row = $0 }
         END { print (row == "" ? "Best design: none" : "Best design: " row) }' "$out"

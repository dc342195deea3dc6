#!/usr/bin/env bash
# A sweep spread over shards with GNU parallel and merged into one CSV that
# holds the same bytes as one `ascent sweep` over the whole range.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/parallel_sweep.sh ASCENT FROM:TO:STEP SHARDS OUT.csv [sweep options...]

Runs `ASCENT sweep --turn-time FROM:TO:STEP --shard I/SHARDS --jobs 1` for
I = 1 ... SHARDS with GNU parallel (one job per core), then writes OUT.csv:
shard 1's header and every shard's rows in turn-time order, the same bytes
as one unsharded sweep. Prints the best design of the whole range (the
converged row with the largest SC_M among those with propellant left); each
shard's own summary goes to standard error. Sweep options (--thrust,
--altitude, --tolerance, --max-missions, --first-guess) follow OUT.csv.

PARALLEL_OPTIONS adds GNU parallel options, e.g. to spread the shards over
machines ("" is this one; ASCENT must be at the same path on each):
  PARALLEL_OPTIONS="--sshlogin 2/host1,2/host2,: --basefile s1.dat"

Options:
  -h, --help  this text
Exit status: 0 when every shard ran; 1 when one failed or GNU parallel
(Debian package parallel) is missing; 2 on a usage error.
USAGE
}

die_usage() { echo "parallel_sweep.sh: $1 (see --help)" >&2; exit 2; }

case ${1:-} in
  -h | --help) usage; exit 0 ;;
  -*) die_usage "unknown option: $1" ;;
esac
[ $# -ge 4 ] || die_usage "ASCENT, FROM:TO:STEP, SHARDS and OUT.csv are needed"
ascent=$1 range=$2 shards=$3 out=$4
shift 4
[[ $shards =~ ^[1-9][0-9]*$ ]] || die_usage "SHARDS must be a positive whole number, not '$shards'"
command -v parallel >/dev/null || {
  echo "parallel_sweep.sh: GNU parallel is missing: apt-get install parallel" >&2
  exit 1
}

parts=$(mktemp)
trap 'rm -f "$parts"' EXIT
# One thread per shard: the shards are the parallelism. Shard 1 writes the
# header; --keep-order puts its output first.
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

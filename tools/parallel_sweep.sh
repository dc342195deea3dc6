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
as one unsharded sweep. Prints what `ASCENT sweep --csv OUT.csv` prints for
the whole range: the "Sweep:" line and the one best design (the converged
row with the largest SC_M among those with propellant left), found in
OUT.csv. The shards' own summaries are dropped; their other messages go to
standard error, each once. Sweep options (--thrust, --vehicle, --altitude,
--tolerance, --max-missions, --first-guess) follow OUT.csv.

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

parts=$(mktemp) notes=$(mktemp)
trap 'rm -f "$parts" "$notes"' EXIT
# One thread per shard: the shards are the parallelism. Shard 1 writes the
# header; --keep-order puts its output first.
status=0
# shellcheck disable=SC2086
parallel --keep-order --halt now,fail=1 ${PARALLEL_OPTIONS:-} \
  "$ascent" sweep --turn-time "$range" --shard {}/"$shards" --jobs 1 "$@" \
  ::: $(seq 1 "$shards") >"$parts" 2>"$notes" || status=$?
# Every shard says what it flew (the vehicle file, the thrust file) and sums
# up its own part: the summaries go, the rest is said once.
awk '!/^(Sweep|Best design|Vehicle): / && !seen[$0]++' "$notes" >&2
[ "$status" -eq 0 ] || exit 1
# The header, then every shard's rows in turn-time order.
{
  head -n 1 "$parts"
  tail -n +2 "$parts" | LC_ALL=C sort -t, -k1,1g
} >"$out"
grep -m 1 '^Vehicle: ' "$notes" || true
# The words of `ascent sweep` for the whole range, by its rule for the best
# design: converged, propellant left, the largest SC_M, the first of equals.
awk -F, '
  NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
  {
    turn_times++; missions += $col["missions"]
    if ($col["verdict"] == "infeasible") infeasible++
    if ($col["verdict"] == "no_propellant_left") short++
    if ($col["verdict"] != "converged") next
    converged++
    left = $col["remaining_propellant_kg"]; mass = $col["SC_M_kg"] + 0
    if (left != "" && left + 0 >= 0 && (!found || mass > best)) { found = 1; best = mass; row = $0 }
  }
  function count(n, noun) { return n " " noun (n == 1 ? "" : "s") }
  END {
    others = (infeasible ? ", " infeasible " infeasible" : "") \
             (short ? ", " short " with no propellant left" : "")
    printf "Sweep: %s, %d converged%s, %s flown\n", count(turn_times, "turn time"), converged,
           others, count(missions, "mission")
    if (!found) { print "Best design: none (no converged turn time with propellant left)"; exit }
    split(row, f, ",")
    printf "Best design: turn time %s s, limit %s deg: SC_M %.0f kg, remaining propellant %.0f kg, %.1f x %.1f km\n",
           f[col["turn_time_s"]], f[col["limit_deg"]], f[col["SC_M_kg"]],
           f[col["remaining_propellant_kg"]], f[col["perigee_m"]] / 1000, f[col["apogee_m"]] / 1000
  }' "$out"

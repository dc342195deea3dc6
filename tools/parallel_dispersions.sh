#!/usr/bin/env bash
# A dispersion campaign spread over shards with GNU parallel, on this machine
# or over several, merged into one CSV that holds the same bytes as one
# `ascent dispersions` over all the runs.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/parallel_dispersions.sh ASCENT FILE RUNS SHARDS OUT.csv [dispersions options...]

Splits runs 0 ... RUNS-1 into SHARDS shards of consecutive runs and runs
`ASCENT dispersions FILE --runs A:B --jobs 1 --csv OUT-shard-I.csv` for each
with GNU parallel (one job per core), then merges them with
`ASCENT dispersions --merge OUT.csv OUT-shard-*.csv`, which checks that every
run appears exactly once and that all shards belong to one campaign, and
prints the summary of the whole campaign. The dispersions options (--seed,
--turn-time, --limit or --retarget, --vehicle, --thrust) follow OUT.csv;
--seed and --turn-time are needed.

PARALLEL_OPTIONS adds GNU parallel options, e.g. to spread the shards over
machines ("" is this one; ASCENT, FILE and the thrust file must be at the
same paths on each, or sent with --basefile; --return brings the shards
back; {outbase} stands for OUT without .csv):
  PARALLEL_OPTIONS="--sshlogin 2/host1,2/host2,: --basefile s1.dat
    --basefile dispersions.toml --return {outbase}-shard-{#}.csv
    --return {outbase}-shard-{#}.manifest.toml --cleanup"
A batch scheduler's array job does the same: task I runs one shard's command.

Options:
  -h, --help  this text
Exit status: 0 when every shard ran and the merge succeeded; 1 when a shard
failed or GNU parallel (Debian package parallel) is missing; 2 on a usage
error or shards that do not merge.
USAGE
}

die_usage() { echo "parallel_dispersions.sh: $1 (see --help)" >&2; exit 2; }

case ${1:-} in
  -h | --help) usage; exit 0 ;;
  -*) die_usage "unknown option: $1" ;;
esac
[ $# -ge 5 ] || die_usage "ASCENT, FILE, RUNS, SHARDS and OUT.csv are needed"
ascent=$1 file=$2 runs=$3 shards=$4 out=$5
shift 5
[[ $runs =~ ^[1-9][0-9]*$ ]] || die_usage "RUNS must be a positive whole number, not '$runs'"
[[ $shards =~ ^[1-9][0-9]*$ ]] || die_usage "SHARDS must be a positive whole number, not '$shards'"
[ "$shards" -le "$runs" ] || die_usage "more shards than runs"
command -v parallel >/dev/null || {
  echo "parallel_dispersions.sh: GNU parallel is missing: apt-get install parallel" >&2
  exit 1
}

outbase=${out%.csv}
# Shard I (1 ... SHARDS) takes runs from (I-1)*RUNS/SHARDS up to I*RUNS/SHARDS.
ranges=()
for ((i = 0; i < shards; ++i)); do
  ranges+=("$((i * runs / shards)):$(((i + 1) * runs / shards))")
done
options=${PARALLEL_OPTIONS:-}
options=${options//\{outbase\}/$outbase}
# shellcheck disable=SC2086
parallel --halt now,fail=1 $options \
  "$ascent" dispersions "$file" --runs {} --jobs 1 --csv "$outbase-shard-{#}.csv" "$@" \
  ">/dev/null" ::: "${ranges[@]}"
shard_files=()
for ((i = 1; i <= shards; ++i)); do shard_files+=("$outbase-shard-$i.csv"); done
"$ascent" dispersions --merge "$out" "${shard_files[@]}"

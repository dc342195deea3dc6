#!/usr/bin/env bash
# Times whole runs of two ascent programs side by side with hyperfine: a run
# of 20 missions with a report file and the four data files, and the start-up
# to the first prompt (the input ends at once). Prints hyperfine's tables and
# the ratio NEW / OLD of the mean times.
#
# Usage: bash tools/compare_speed.sh [--runs N] OLD_PROGRAM NEW_PROGRAM
#   OLD_PROGRAM  the program to compare against (for instance a build of an
#                earlier commit: git worktree add /tmp/old <commit>, then
#                cmake --preset release there)
#   NEW_PROGRAM  the program measured (build/release/bin/ascent)
#   --runs N     runs of each command (default 60)
set -euo pipefail
usage() { sed -n "2,12p" "$0" | sed "s/^# \{0,1\}//"; }
runs=60
programs=()
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --runs) runs=${2:?--runs needs a number}; shift 2 ;;
    -*) echo "compare_speed.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    *) programs+=("$(realpath "$1")"); shift ;;
  esac
done
if [ ${#programs[@]} -ne 2 ]; then
  echo "compare_speed.sh: two programs are needed (see --help)" >&2
  exit 2
fi
command -v hyperfine >/dev/null || { echo "compare_speed.sh: hyperfine is missing (Debian package hyperfine)" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-speed.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$root/data/s1.dat" "$work/s1.dat"
{
  echo report.txt
  for k in $(seq 0 19); do echo "$((10 + k))"; echo "2$((k % 5)).5"; done
  echo -1
} >"$work/session.txt"
cd "$work"
old=${programs[0]} new=${programs[1]}

mean() { python3 -c "import json,sys; print(json.load(open(sys.argv[1]))['results'][int(sys.argv[2])]['mean'])" "$@"; }
for what in missions startup; do
  if [ $what = missions ]; then input=session.txt; else input=/dev/null; fi
  echo "== $what"
  hyperfine --warmup 5 --runs "$runs" --export-json "$what.json" \
    "$old < $input > /dev/null" "$new < $input > /dev/null"
  python3 -c "import sys; o, n = float(sys.argv[1]), float(sys.argv[2]); print(f'ratio new / old: {n / o:.3f} ({n * 1e3:.2f} ms / {o * 1e3:.2f} ms)')" \
    "$(mean $what.json 0)" "$(mean $what.json 1)"
done

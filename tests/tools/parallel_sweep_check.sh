#!/usr/bin/env bash
# tools/parallel_sweep.sh against one unsharded `ascent sweep --csv`: the same
# CSV bytes and the same words, one "Best design" line for the whole range.
# Usage: parallel_sweep_check.sh ASCENT SOURCE_DIR (exit 77: GNU parallel is missing)
set -uo pipefail
ascent=$1 source=$2
command -v parallel >/dev/null || { echo "GNU parallel is missing"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
# range, shards: shards of unequal length; a best design in a middle shard;
# none at all (every design overdraws its propellant); more shards than turn
# times.
while read -r range shards; do
  (cd "$work" && bash "$source/tools/parallel_sweep.sh" "$ascent" "$range" "$shards" sharded.csv \
    --thrust "$source/data/s1.dat" >sharded.txt 2>sharded.err)
  (cd "$work" && "$ascent" sweep --turn-time "$range" --csv whole.csv \
    --thrust "$source/data/s1.dat" >whole.txt 2>whole.err)
  if ! cmp -s "$work/sharded.csv" "$work/whole.csv" || ! cmp -s "$work/sharded.txt" "$work/whole.txt" ||
    [ -s "$work/sharded.err" ]; then
    echo "FAILED: $range over $shards shards:"
    diff "$work/whole.txt" "$work/sharded.txt" | sed 's/^/   | /'
    sed 's/^/   err | /' "$work/sharded.err"
    failed=1
  fi
done <<'CASES'
5:40:5 3
5:10:5 2
30:40:5 5
CASES
[ "$failed" -eq 0 ] && echo "the sharded sweeps print what one sweep prints"
exit "$failed"

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (the library with
# fuzzer-no-link,address,undefined) and runs each for a while on a copy of its
# seed corpus in a temporary directory, so the corpus in the repository never
# grows. A single input taking more than 10 s counts as a failure, as does any
# crash, sanitizer report, broken check or memory beyond 2048 MB.
#
# Usage: bash tools/fuzz.sh [seconds per target, default 60]
# Exit status: 0 when every target ran its time clean, 1 otherwise. The log and
# the offending input of a failing target stay in the temporary directory,
# whose path is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [seconds per target]" >&2
  exit 2
fi
build="$root/build-fuzz"

echo "== building the fuzz targets in $build"
cmake -S "$root" -B "$build" \
  -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DASCENT_FUZZ=ON -DASCENT_TESTS=OFF -DASCENT_BENCH=OFF \
  -DASCENT_SANITIZE=fuzzer-no-link,address,undefined >/dev/null
cmake --build "$build" -j"$(nproc)" --target dialogue_fuzz thrust_file_fuzz >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-fuzz.XXXXXX")
failed=0

# target, longest input
targets=(
  "dialogue_fuzz dialogue 256"
  "thrust_file_fuzz thrust_file 8192"
)
for entry in "${targets[@]}"; do
  read -r target corpus maxLen <<<"$entry"
  mkdir -p "$work/$corpus/corpus" "$work/$corpus/artifacts"
  cp -R "$root/fuzz/corpus/$corpus/." "$work/$corpus/corpus/"
  log="$work/$corpus/fuzz.log"
  echo "== $target: ${seconds} s"
  status=0
  (cd "$work/$corpus" &&
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len="$maxLen" -print_final_stats=1 -artifact_prefix="$work/$corpus/artifacts/" \
      corpus) >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  [ -n "$runs" ] || runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
  echo "   executions: ${runs:-unknown}, corpus now $(ls "$work/$corpus/corpus" | wc -l) inputs"
  artifacts=$(ls "$work/$corpus/artifacts")
  if [ "$status" -ne 0 ] || [ -n "$artifacts" ] ||
    grep -qE '^(==[0-9]+==ERROR|SUMMARY: (Address|Undefined)|.*runtime error:)' "$log"; then
    failed=1
    echo "   FAILED (exit status $status); log: $log"
    grep -E 'ERROR|SUMMARY|runtime error:|fuzz check failed|Test unit written' "$log" | head -n 20 | sed 's/^/   | /'
    for artifact in $artifacts; do echo "   input: $work/$corpus/artifacts/$artifact"; done
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "fuzzing FAILED; logs and inputs kept in $work"
  exit 1
fi
rm -rf "$work"
echo "fuzzing passed"

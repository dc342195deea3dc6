#!/usr/bin/env bash
# Builds the libFuzzer targets with the CMake preset `fuzz` and runs each for a
# while on a copy of its seed corpus, so the corpus in the repository never grows.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/fuzz.sh [SECONDS]

Builds the libFuzzer targets with clang++ in build/fuzz (CMake preset `fuzz`:
the library with fuzzer-no-link,address,undefined) and runs each target for
SECONDS (default 60) on a copy of its seed corpus in a temporary directory.
A single input taking more than 10 s counts as a failure, as does any crash,
sanitizer report, broken check or memory beyond 2048 MB.

Options:
  -h, --help  this text
Exit status: 0 when every target ran its time clean; 1 otherwise (the log and
the offending input of a failing target stay in the temporary directory,
whose path is printed); 2 on a usage error.
USAGE
}

seconds=
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    -*) echo "fuzz.sh: unknown option: $1 (see --help)" >&2; exit 2 ;;
    *)
      [ -z "$seconds" ] || { echo "fuzz.sh: one number of seconds only, not also '$1' (see --help)" >&2; exit 2; }
      [[ $1 =~ ^[0-9]+$ ]] && [ "$1" -ge 1 ] ||
        { echo "fuzz.sh: seconds must be a whole number of at least 1, not '$1' (see --help)" >&2; exit 2; }
      seconds=$1
      ;;
  esac
  shift
done
seconds=${seconds:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"

echo "== building the fuzz targets in $build"
(cd "$root" && cmake --preset fuzz ${ASCENT_WERROR:+-DASCENT_WERROR="$ASCENT_WERROR"} >/dev/null)
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

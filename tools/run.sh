#!/usr/bin/env bash
# Builds the program alone (no tests, no benchmarks) and starts it in ./run.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/run.sh [-- ascent-arguments...]

Builds ascent with the CMake preset `release` in build/release (the first
time with tests and benchmarks off, so neither GoogleTest nor Google Benchmark
is needed) and starts it in ./run, a working directory of its own. ./run gets
a copy of the shipped thrust file data/s1.dat once: edit run/s1.dat freely,
the shipped file stays as it is. Reports and data files are written there.

As root, missing Debian packages are installed first (tools/deps.sh run).
Arguments after `--` are passed to ascent. ASCENT_WERROR=ON in the
environment makes a new build tree treat warnings as errors.

Options:
  -h, --help  this text
USAGE
}

args=()
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --) shift; args=("$@"); break ;;
    *) echo "run.sh: unknown option: $1 (see --help; arguments for ascent go after --)" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/release
bash "$root/tools/deps.sh" run || true

# A tree that the test command configured (tests on) is used as it is.
if [ ! -e "$build/CMakeFiles/TargetDirectories.txt" ]; then
  echo "== configuring build/release (tests and benchmarks off)" >&2
  (cd "$root" && cmake --preset release -DASCENT_TESTS=OFF -DASCENT_BENCH=OFF \
    ${ASCENT_WERROR:+-DASCENT_WERROR="$ASCENT_WERROR"} >/dev/null)
fi
echo "== building ascent in build/release (about 80 s the first time on 2 cores)" >&2
log=$build/run-build.log
if ! cmake --build "$build" -j"$(nproc)" --target ascent >"$log" 2>&1; then
  cat "$log" >&2
  echo "run.sh: the build failed (log: $log)" >&2
  exit 1
fi

mkdir -p "$root/run"
[ -e "$root/run/s1.dat" ] || cp "$root/data/s1.dat" "$root/run/s1.dat"
cd "$root/run"
echo "== starting build/release/bin/ascent in run/ (thrust file run/s1.dat)" >&2
exec "$build/bin/ascent" "${args[@]}"

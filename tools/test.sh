#!/usr/bin/env bash
# Builds the program, the tests and the benchmarks with a CMake preset, then
# runs every test.
set -euo pipefail

presets=(release debug clang asan-ubsan fuzz)
usage() {
  cat <<'USAGE'
Usage: bash tools/test.sh [PRESET] [-DVARIABLE=VALUE...]

Configures the CMake preset PRESET (default: release) in build/PRESET, builds
everything it selects and runs every test with ctest:
  release     g++ -O2 (RelWithDebInfo): program, tests, benchmarks
  debug       g++ -O0 (Debug): program, tests, benchmarks
  clang       clang++ -O2 (RelWithDebInfo): program, tests, benchmarks
  asan-ubsan  clang++ -O0 with AddressSanitizer and UndefinedBehaviorSanitizer:
              program and tests
  fuzz        clang++ libFuzzer targets; the tests replay their seed corpora
-D options are passed on to CMake. ASCENT_WERROR=ON in the environment adds
-DASCENT_WERROR=ON (warnings are errors), as CI does.

As root, missing Debian packages are installed first (tools/deps.sh test, or
tools/deps.sh ci for the clang presets).

Options:
  -h, --help  this text
Exit status: 0 when every test passed; otherwise that of the failed step
(2 on a usage error).
USAGE
}
die_usage() { echo "test.sh: $1 (see --help)" >&2; exit 2; }

preset=
defines=()
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    -D?*) defines+=("$1") ;;
    -*) die_usage "unknown option: $1" ;;
    *)
      [ -z "$preset" ] || die_usage "one preset only, not also '$1'"
      [[ " ${presets[*]} " == *" $1 "* ]] || die_usage "unknown preset: '$1' (${presets[*]})"
      preset=$1
      ;;
  esac
  shift
done
preset=${preset:-release}

cd "$(dirname "$0")/.."
case $preset in
  release | debug) bash tools/deps.sh test || true ;;
  *) bash tools/deps.sh ci || true ;;
esac
[ -z "${ASCENT_WERROR:-}" ] || defines+=("-DASCENT_WERROR=$ASCENT_WERROR")

echo "== $preset: configuring and building in build/$preset" >&2
cmake --preset "$preset" "${defines[@]}" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"
echo "== $preset: running the tests" >&2
ctest --preset "$preset" -j"$(nproc)"

#!/usr/bin/env bash
# Builds the program, the tests and the benchmarks, then runs every test.
# Usage: bash tools/test.sh [build directory] [extra CMake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
cmake -S . -B "$build" -DASCENT_WERROR="${ASCENT_WERROR:-OFF}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"

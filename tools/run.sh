#!/usr/bin/env bash
# Builds the program and starts it in ./run, a working directory of its own that
# holds a copy of the shipped booster thrust file data/s1.dat (copied once: edit
# run/s1.dat freely, the shipped file stays as it is). Reports and data files
# are written there too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target ascent >/dev/null
mkdir -p "$root/run"
[ -e "$root/run/s1.dat" ] || cp "$root/data/s1.dat" "$root/run/s1.dat"
cd "$root/run"
exec "$root/build/src/ascent"

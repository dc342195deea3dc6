#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and flies one mission with
# the installed package, from another directory, on its shipped thrust file.
# Usage: install_check.sh CMAKE BUILD_TREE PYTHON PACKAGE_DIR
set -euo pipefail
cmake=$1 build=$2 python=$3 package_dir=$4
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-python-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$cmake" --install "$build" --component python --prefix "$work/prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; exit 1; }
cd "$work"
PYTHONPATH="$work/prefix/$package_dir" "$python" -c '
import ascent
assert ascent.__file__.startswith("'"$work"'"), ascent.__file__
flight = ascent.fly(18, 24.06)
assert flight.outcome == "orbit" and round(flight.remaining_propellant_kg) == 677, flight
print("the installed package flew one mission to orbit")'

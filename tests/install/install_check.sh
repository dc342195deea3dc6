#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks one part of what
# a user gets there:
#   program  the installed program, from a directory of its own holding the
#            installed s1.dat, flies one mission with the report on the screen,
#            and a command from an empty one flies the installed s1.dat;
#            the installed README's links all reach installed files
#   package  the examples, a CMake project of their own, configure against the
#            prefix with find_package(ascent), build with nothing but what was
#            installed, and fly: fly_one reaches the dialogue's orbit, and
#            campaign_summary writes a campaign's rows, manifest and JSON summary
#   manual   the installed manual page names the program and every command
#            that the installed program's --help lists
# Usage: install_check.sh CHECK CMAKE BUILD_TREE SOURCE_DIR [C++ COMPILER]
set -euo pipefail
check=$1 cmake=$2 build=$3 source=$4 cxx=${5:-c++}
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

check_program() {
  local program=$prefix/bin/ascent
  [ -x "$program" ] || fail "no program at bin/ascent"
  cmp -s "$prefix/share/ascent/s1.dat" "$source/data/s1.dat" ||
    fail "share/ascent/s1.dat is not the shipped thrust file"
  [ -s "$prefix/share/doc/ascent/README.md" ] || fail "no share/doc/ascent/README.md"
  # Every relative link of the installed README reaches an installed file.
  local doc=$prefix/share/doc/ascent link
  for link in $(grep -o '](\([^)#:]*\))' "$doc/README.md" | sed 's/^](//; s/)$//'); do
    [ -e "$doc/$link" ] || fail "the installed README links to $link, which is not installed"
  done

  mkdir "$work/run"
  cp "$prefix/share/ascent/s1.dat" "$work/run/s1.dat"
  local status=0
  (cd "$work/run" && printf '\n18\n24.06\n-1\n' | timeout 30 "$program" >stdout.txt 2>stderr.txt) ||
    status=$?
  [ "$status" -eq 0 ] ||
    { tail -n 5 "$work/run/stdout.txt" "$work/run/stderr.txt" >&2; fail "exit status $status"; }
  grep -q '^Upper Stage in Orbit! Remaining propellant = 677 kg\.$' "$work/run/stdout.txt" ||
    fail "the installed program did not fly the mission to orbit"
  grep -q '^Recommended maxa = ' "$work/run/stdout.txt" || fail "no mission summary"
  # A command in a folder without s1.dat flies the installed copy and says which.
  mkdir "$work/empty"
  (cd "$work/empty" && timeout 30 "$program" fly --turn-time 18 --limit 24.06 >stdout.txt 2>stderr.txt) ||
    { cat "$work/empty/stderr.txt" >&2; fail "a command without s1.dat did not fly"; }
  grep -qx "Thrust: $(cd "$prefix" && pwd -P)/share/ascent/s1.dat (no s1.dat here)" \
    "$work/empty/stderr.txt" || fail "a command without s1.dat did not name the installed copy"
  echo "installed under a temporary prefix; the installed program flew one mission to orbit," \
    "and a command the installed s1.dat"
}

check_package() {
  [ -f "$prefix/lib/cmake/ascent/ascentConfig.cmake" ] || fail "no lib/cmake/ascent/ascentConfig.cmake"
  [ -f "$prefix/include/ascent/version.h" ] || fail "no include/ascent/version.h"
  # Only the prefix is searched: a package or header of the build tree, or
  # one found on the system, would hide a missing install rule.
  local examples=$work/examples
  "$cmake" -S "$source/examples" -B "$examples" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; fail "the examples do not configure against the prefix"; }
  "$cmake" --build "$examples" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log" >&2; fail "the examples do not build against the prefix"; }
  # The library passes on its headers, C++20 and its link dependencies, and
  # none of the options the library itself is built with, nor its sources.
  local leaked
  for leaked in -Werror -ffp-contract "$source/src" "$build"; do
    ! grep -q -e "$leaked" "$examples/compile_commands.json" ||
      fail "the compile command of the examples has $leaked: $(cat "$examples/compile_commands.json")"
  done

  local output
  output=$(timeout 30 "$examples/fly_one" "$source/data/s1.dat") || fail "fly_one: exit status $?"
  [ "$output" = "Perigee = 199.7 km, Apogee = 200.0 km, Remaining propellant = 677 kg" ] ||
    fail "fly_one printed: $output"
  # A vehicle file read by the installed library, its TOML reader inside it:
  # the figures `ascent fly --vehicle examples/heavier.toml` prints.
  output=$(timeout 30 "$examples/fly_one" "$source/data/s1.dat" "$source/examples/heavier.toml") ||
    fail "fly_one with examples/heavier.toml: exit status $?"
  [ "$output" = "Perigee = 216.8 km, Apogee = 220.6 km, Remaining propellant = -594 kg" ] ||
    fail "fly_one with examples/heavier.toml printed: $output"
  # A campaign written through the installed writers: its rows and manifest
  # beside them, and its summary one line of JSON with every run.
  output=$(cd "$work" && timeout 60 "$examples/campaign_summary" "$source/data/s1.dat" \
    "$source/data/dispersions.toml" 20 c.csv c.json) || fail "campaign_summary: exit status $?"
  [ -s "$work/c.manifest.toml" ] || fail "campaign_summary wrote no manifest"
  [ "$(wc -l <"$work/c.csv")" -eq 21 ] || fail "campaign_summary wrote $(wc -l <"$work/c.csv") CSV lines"
  python3 -c 'import json, sys; s = json.load(open(sys.argv[1])); assert s["runs"] == 20, s["runs"]' \
    "$work/c.json" || fail "campaign_summary's JSON is not the summary of 20 runs"
  echo "the examples built against the installed CMake package, flew to orbit and wrote a campaign"
}

check_manual() {
  local page=$prefix/share/man/man1/ascent.1
  [ -s "$page" ] || fail "no share/man/man1/ascent.1"
  grep -q '^ascent \\- ' "$page" || fail "the manual page has no NAME line for ascent"
  local commands
  commands=$("$prefix/bin/ascent" --help | sed -n '/^Subcommands:/,/^[^ ]/s/^  \([a-z][a-z0-9-]*\)  .*/\1/p')
  [ -n "$commands" ] || fail "the installed program's --help lists no commands"
  local command
  for command in $commands; do
    grep -qx ".SS \"ascent $command\"" "$page" || fail "the manual page has no section for '$command'"
  done
  echo "the installed manual page describes every command:" $commands
}

case $check in
  program) check_program ;;
  package) check_package ;;
  manual) check_manual ;;
  *) fail "unknown check '$check' (program, package or manual)" ;;
esac

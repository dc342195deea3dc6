#!/usr/bin/env bash
# Checks that the report and the four data files are the same bytes whatever
# the compiler, optimisation level or sanitizers.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/compare_builds.sh [ascent-program ascent-program...]

Runs every given `ascent` program on one fixed session (three missions, the
report to a file) in a fresh directory holding a copy of the shipped
data/s1.dat, and compares the report, the four data files and the standard
output of every program with those of the first, byte for byte.

Without programs it builds and compares the default set, the target ascent
of four CMake presets, each in its build/PRESET tree (a new tree is
configured with tests and benchmarks off; an existing one is used as it is):
  debug       g++ -O0
  release     g++ -O2 (RelWithDebInfo)
  clang       clang++ -O2 (RelWithDebInfo)
  asan-ubsan  clang++ -O0 with AddressSanitizer and UndefinedBehaviorSanitizer

Options:
  -h, --help  this text
Exit status: 0 when every file is identical; 1 on a difference (the first
differing line is printed: file, line number and both lines) or when a
program fails the session; 2 on a usage or build error.
USAGE
}

for argument in "$@"; do
  case $argument in
    -h | --help) usage; exit 0 ;;
    -*) echo "compare_builds.sh: unknown option: $argument (see --help)" >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
started=$SECONDS

# Three missions, the last with other limits; a mission that is abandoned
# compares as well as one that reaches orbit.
session=$'compare.txt\n8\n30\n5\n30\n12\n20\n-1\n'
files=(compare.txt speed.dat height.dat accel.dat dynpres.dat)

programs=()
names=()
if [ $# -eq 0 ]; then
  for preset in debug release clang asan-ubsan; do
    build="$root/build/$preset"
    echo "== building ascent with the preset $preset in $build"
    t0=$SECONDS
    if [ ! -e "$build/CMakeFiles/TargetDirectories.txt" ] &&
      ! (cd "$root" && cmake --preset "$preset" -DASCENT_TESTS=OFF -DASCENT_BENCH=OFF \
        ${ASCENT_WERROR:+-DASCENT_WERROR="$ASCENT_WERROR"} >/dev/null); then
      echo "configuring $preset failed" >&2
      exit 2
    fi
    if ! cmake --build "$build" -j"$(nproc)" --target ascent >/dev/null; then
      echo "build of $preset failed" >&2
      exit 2
    fi
    echo "   built in $((SECONDS - t0)) s"
    programs+=("$build/bin/ascent")
    names+=("$preset")
  done
else
  if [ $# -lt 2 ]; then
    echo "compare_builds.sh: give at least two programs, or none to build the default set (see --help)" >&2
    exit 2
  fi
  for program in "$@"; do
    if [ ! -x "$program" ] || [ -d "$program" ]; then
      echo "compare_builds.sh: not an executable program: $program" >&2
      exit 2
    fi
    programs+=("$(cd "$(dirname "$program")" && pwd)/$(basename "$program")")
    names+=("$program")
  done
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT

for i in "${!programs[@]}"; do
  dir="$work/run$i"
  mkdir "$dir"
  cp "$root/data/s1.dat" "$dir/s1.dat"
  t0=$SECONDS
  status=0
  (cd "$dir" && printf '%s' "$session" | "${programs[$i]}" >stdout.txt 2>stderr.txt) || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAILED: ${names[$i]} ended the session with status $status" >&2
    sed 's/^/   | /' "$dir/stdout.txt" "$dir/stderr.txt" | tail -n 20 >&2
    exit 1
  fi
  if [ -s "$dir/stderr.txt" ]; then
    echo "FAILED: ${names[$i]} wrote to standard error:" >&2
    head -n 20 "$dir/stderr.txt" | sed 's/^/   | /' >&2
    exit 1
  fi
  missions=$(grep -a -c -E '^(Recommended maxa = |Error! Orbit not reached)' "$dir/compare.txt" || true)
  if [ "$missions" -ne 3 ]; then
    echo "FAILED: ${names[$i]} finished $missions missions of 3" >&2
    exit 1
  fi
  echo "== ran ${names[$i]} in $((SECONDS - t0)) s: $(grep -a -c -E '^Recommended maxa = ' "$dir/compare.txt" || true) of 3 missions reached orbit"
done

# Line number of the first difference of two files that differ, counted so
# that a missing last line also has a number.
firstDifferentLine() {
  local byte
  byte=$(cmp "$1" "$2" 2>/dev/null | sed -n 's/.* differ: \(byte\|char\) \([0-9]*\),.*/\2/p')
  if [ -z "$byte" ]; then
    # One file is a prefix of the other: the difference starts after the shorter.
    byte=$(($(stat -c %s "$1") < $(stat -c %s "$2") ? $(stat -c %s "$1") + 1 : $(stat -c %s "$2") + 1))
  fi
  # Newlines before that byte, plus one.
  echo $(($(head -c $((byte - 1)) "$1" | tr -cd '\n' | wc -c) + 1))
}

showLine() {  # file, line number: the line made visible, or a note that there is none
  local lines
  lines=$(wc -l <"$1")
  if [ "$2" -gt "$lines" ] && [ -z "$(sed -n "${2}p" "$1")" ]; then
    echo "(no such line: the file has $lines lines)"
  else
    sed -n "${2}p" "$1" | cat -v
  fi
}

different=0
for file in "${files[@]}" stdout.txt; do
  reference="$work/run0/$file"
  for i in "${!programs[@]}"; do
    [ "$i" -eq 0 ] && continue
    other="$work/run$i/$file"
    if ! cmp -s "$reference" "$other"; then
      line=$(firstDifferentLine "$reference" "$other")
      echo "DIFFERENT: $file, line $line"
      echo "   ${names[0]}:"
      echo "     $(showLine "$reference" "$line")"
      echo "   ${names[$i]}:"
      echo "     $(showLine "$other" "$line")"
      different=1
    fi
  done
done

elapsed=$((SECONDS - started))
if [ "$different" -ne 0 ]; then
  echo "builds differ (${elapsed} s)"
  exit 1
fi
echo "identical: ${files[*]} and standard output, $(wc -c <"$work/run0/compare.txt") bytes of report, across ${#programs[@]} programs (${elapsed} s)"

#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and runs the installed
# program, from a directory of its own holding the installed s1.dat, on one
# mission with the report on the screen.
# Usage: install_check.sh CMAKE BUILD_TREE SHIPPED_S1_DAT
set -euo pipefail
cmake=$1 build=$2 shipped=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

program=$work/prefix/bin/ascent
[ -x "$program" ] || fail "no program at bin/ascent"
cmp -s "$work/prefix/share/ascent/s1.dat" "$shipped" || fail "share/ascent/s1.dat is not the shipped thrust file"
[ -s "$work/prefix/share/doc/ascent/README.md" ] || fail "no share/doc/ascent/README.md"
# Every relative link of the installed README reaches an installed file.
doc=$work/prefix/share/doc/ascent
for link in $(grep -o '](\([^)#:]*\))' "$doc/README.md" | sed 's/^](//; s/)$//'); do
  [ -e "$doc/$link" ] || fail "the installed README links to $link, which is not installed"
done

mkdir "$work/run"
cp "$work/prefix/share/ascent/s1.dat" "$work/run/s1.dat"
status=0
(cd "$work/run" && printf '\n18\n24.06\n-1\n' | timeout 30 "$program" >stdout.txt 2>stderr.txt) || status=$?
[ "$status" -eq 0 ] || { tail -n 5 "$work/run/stdout.txt" "$work/run/stderr.txt" >&2; fail "exit status $status"; }
grep -q '^Upper Stage in Orbit! Remaining propellant = 677 kg\.$' "$work/run/stdout.txt" ||
  fail "the installed program did not fly the mission to orbit"
grep -q '^Recommended maxa = ' "$work/run/stdout.txt" || fail "no mission summary"
echo "installed under a temporary prefix; the installed program flew one mission to orbit"

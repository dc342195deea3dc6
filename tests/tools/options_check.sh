#!/usr/bin/env bash
# Runs every script of the tools folder with --help and with an unknown option.
# Usage: options_check.sh TOOLS_DIR
set -uo pipefail
tools=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ascent-tools.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
checked=0

for script in "$tools"/*.sh "$tools"/*.py; do
  [ -e "$script" ] || continue
  case $script in
    *.py) runner=python3 ;;
    *) runner=bash ;;
  esac
  name=$(basename "$script")
  checked=$((checked + 1))
  # Run from an empty directory: a script that took an option for a file name
  # or a build directory would leave it there.
  status=0
  (cd "$work" && timeout 20 "$runner" "$script" --help >out.txt 2>err.txt) || status=$?
  if [ "$status" -ne 0 ] || ! grep -qi '^usage: ' "$work/out.txt" || [ -s "$work/err.txt" ]; then
    echo "FAILED: $name --help: status $status, no usage on standard output or something on standard error"
    failed=1
  fi
  status=0
  (cd "$work" && timeout 20 "$runner" "$script" --no-such-option >out.txt 2>err.txt) || status=$?
  if [ "$status" -ne 2 ] || [ "$(wc -l <"$work/err.txt")" -ne 1 ] || [ -s "$work/out.txt" ]; then
    echo "FAILED: $name --no-such-option: status $status (2 expected), $(wc -l <"$work/err.txt") lines on standard error (1 expected)"
    sed 's/^/   | /' "$work/out.txt" "$work/err.txt" | head -n 5
    failed=1
  fi
  leftovers=$(cd "$work" && ls -A | grep -vx -e out.txt -e err.txt)
  if [ -n "$leftovers" ]; then
    echo "FAILED: $name left files behind: $leftovers"
    failed=1
    (cd "$work" && ls -A | grep -vx -e out.txt -e err.txt | xargs rm -rf --)
  fi
done

[ "$checked" -gt 0 ] || { echo "FAILED: no scripts in $tools"; exit 1; }
[ "$failed" -eq 0 ] || exit 1
echo "$checked scripts answer --help and refuse an unknown option"

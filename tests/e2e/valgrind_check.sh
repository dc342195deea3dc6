#!/usr/bin/env bash
# Three missions under valgrind's memcheck: no invalid access, no leak.
# Usage: valgrind_check.sh VALGRIND PROGRAM THRUST_FILE
set -euo pipefail
valgrind=$1 program=$2 thrust=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$thrust" "$work/s1.dat"
cd "$work"
printf 'report.txt\n5\n20\n8\n30\n12\n25\n-1\n' |
  "$valgrind" --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds=all "$program" >stdout.txt 2>valgrind.txt || {
  status=$?
  cat valgrind.txt
  echo "memcheck failed with status $status"
  exit 1
}
grep -c "Recommended maxa" report.txt | grep -qx 3 || { echo "three missions were not flown"; exit 1; }
[ ! -s valgrind.txt ] || { cat valgrind.txt; exit 1; }
echo "memcheck: three missions, no errors, no leaks"

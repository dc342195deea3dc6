#!/usr/bin/env bash
# Installs the Debian packages that a set-up needs, when they are missing.
set -euo pipefail

usage() {
  cat <<'USAGE'
Usage: bash tools/deps.sh [--check] run|test|ci

Installs the Debian packages that one set-up needs and that are missing:
  run    tools/run.sh: cmake make g++ libcli11-dev nlohmann-json3-dev
         libtomlplusplus-dev gnuplot-nox (gnuplot only for plotting, at run time)
  test   tools/test.sh: those of run, plus libgtest-dev libgmock-dev
         libbenchmark-dev valgrind parallel hyperfine python3 python3-dev
         pybind11-dev python3-numpy python3-pytest python3-pandas
         python3-matplotlib python3-mypy python3-distributed (the Python
         module, its tests, the check of its stubs and its examples, the
         Dask campaign among them),
         help2man (the manual page, which a test checks),
         chromium chromium-driver python3-selenium (the review page loaded
         in a real browser)
  ci     .ci/run: those of test, plus clang libclang-rt-dev clang-format (clang++ builds,
         sanitizers, libFuzzer, the format check)
As root it runs `apt-get update` and `apt-get install -y` with the missing
packages; otherwise it names them and the command that installs them.

Options:
  --check     only name the missing packages, install nothing
  -h, --help  this text

Exit status: 0 when nothing is missing (any more); 1 when packages are still
missing (not root, or --check) or apt-get failed; 2 on a usage error.
USAGE
}

die_usage() { echo "deps.sh: $1 (see --help)" >&2; exit 2; }

check=false
set_name=
while [ $# -gt 0 ]; do
  case $1 in
    -h | --help) usage; exit 0 ;;
    --check) check=true ;;
    -*) die_usage "unknown option: $1" ;;
    run | test | ci) [ -z "$set_name" ] || die_usage "one set only, not also '$1'"; set_name=$1 ;;
    *) die_usage "unknown set: '$1' (run, test or ci)" ;;
  esac
  shift
done
[ -n "$set_name" ] || die_usage "name a set: run, test or ci"

packages=(cmake make g++ libcli11-dev nlohmann-json3-dev libtomlplusplus-dev gnuplot-nox)
case $set_name in
  test | ci) packages+=(libgtest-dev libgmock-dev libbenchmark-dev valgrind parallel hyperfine python3 python3-dev pybind11-dev
                 python3-numpy python3-pytest python3-pandas python3-matplotlib python3-mypy python3-distributed help2man
                 chromium chromium-driver python3-selenium) ;;&
  ci) packages+=(clang libclang-rt-dev clang-format) ;;
esac

if ! command -v dpkg-query >/dev/null; then
  echo "deps.sh: not a Debian system; make sure the equivalents of these are installed: ${packages[*]}" >&2
  exit 0
fi

missing=()
for package in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -gt 0 ] || exit 0

if $check || [ "$(id -u)" -ne 0 ]; then
  echo "missing Debian packages: ${missing[*]}" >&2
  echo "install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "== installing missing Debian packages: ${missing[*]}" >&2
# Another apt run may hold the lock for a while: wait for it rather than fail.
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq >&2
apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >&2

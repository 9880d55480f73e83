#!/usr/bin/env bash
# Builds what the release needs and writes dist/Kelvane-<version>-x86.zip and
# dist/Kelvane-<version>-x64.zip, one line per step; a step's own output shows only when it fails.
#   scripts/package.sh [OUT_DIR]      (default: dist)
# It builds only kelvane-sim with the plug-in it loads (for the manual's pictures) and each
# edition's Kelvane.dll with its import and type information checks, in the trees that
# scripts/build.sh and windows/build.sh make, configured as they configure them: after a full
# build (the test suite's) nothing is built again, and a later full build reuses what this one
# built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/dist}
cd "$root"
# shellcheck source=scripts/tools.sh
. scripts/tools.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
step() {
  local what=$1
  shift
  echo "package: $what"
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "package: $what failed" >&2
    exit 1
  fi
}

# The steps chain with &&: set -e does not stop a function that runs as step's condition.
build_native() {
  cmake -S . -B build -G Ninja &&
    cmake --build build -j"$KELVANE_JOBS" --target kelvane-sim Kelvane
}

build_windows() {
  # import_check builds the DLL and fails when it imports what the host does not export.
  cmake -S windows -B "build-windows/$1" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-$2-windows-msvc.cmake" &&
    cmake --build "build-windows/$1" -j"$KELVANE_JOBS" --target import_check &&
    # The host's dynamic_cast reads the display's type information: no zip without it.
    python3 windows/check_type_info.py --machine "$1" "build-windows/$1/Modules/Plugin/Kelvane.dll"
}

# The trees' configuration looks for every package the full build uses (GoogleTest too).
step "installing what the build needs" scripts/setup.sh
step "building kelvane-sim" build_native
step "building Kelvane.dll (x86)" build_windows x86 i686
step "building Kelvane.dll (x64)" build_windows x64 x86_64
echo "package: writing zips"
python3 release/make_package.py --sim build/sim/kelvane-sim \
  --dll x86=build-windows/x86/Modules/Plugin/Kelvane.dll \
  --dll x64=build-windows/x64/Modules/Plugin/Kelvane.dll --out "$out"

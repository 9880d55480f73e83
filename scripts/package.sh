#!/usr/bin/env bash
# Builds what the release needs and writes dist/Kelvane-<version>-x86.zip and
# dist/Kelvane-<version>-x64.zip, one line per step; a step's own output shows only when it fails.
#   scripts/package.sh [OUT_DIR]      (default: dist)
# It builds only kelvane-sim with the plug-in it loads (for the manual's pictures) and each
# edition's Kelvane.dll with its import and type information checks, through scripts/build.sh
# and windows/build.sh with the targets named, in the trees they make: after a full build (the
# test suite's) nothing is built again, and a later full build reuses what this one built.
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

# The host's dynamic_cast reads the display's type information: no zip without it.
check_type_info() {
  for arch in x86 x64; do
    python3 windows/check_type_info.py --machine $arch \
      "build-windows/$arch/Modules/Plugin/Kelvane.dll" || return 1
  done
}

# The trees' configuration looks for every package the full build uses (GoogleTest too).
step "installing what the build needs" scripts/setup.sh
step "building kelvane-sim" scripts/build.sh build --target kelvane-sim --target Kelvane
# import_check builds each DLL and fails when it imports what the host does not export.
step "building Kelvane.dll (x86 and x64)" windows/build.sh build-windows --target import_check
step "checking the DLLs' type information" check_type_info
echo "package: writing zips"
python3 release/make_package.py --sim build/sim/kelvane-sim \
  --dll x86=build-windows/x86/Modules/Plugin/Kelvane.dll \
  --dll x64=build-windows/x64/Modules/Plugin/Kelvane.dll --out "$out"

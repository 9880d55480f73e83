#!/usr/bin/env bash
# Builds what the release needs (kelvane-sim for the manual's pictures, both Kelvane.dll files)
# and writes dist/Kelvane-<version>-x86.zip and dist/Kelvane-<version>-x64.zip.
#   scripts/package.sh [OUT_DIR]      (default: dist)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/dist}
cd "$root"
scripts/setup.sh
scripts/build.sh build >/dev/null
windows/build.sh build-windows >/dev/null
python3 release/make_package.py --sim build/sim/kelvane-sim \
  --dll x86=build-windows/x86/Modules/Plugin/Kelvane.dll \
  --dll x64=build-windows/x64/Modules/Plugin/Kelvane.dll --out "$out"

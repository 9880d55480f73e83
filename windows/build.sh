#!/usr/bin/env bash
# Builds the plug-in for the simulator, BUILD_DIR/Modules/Plugin/Kelvane.dll (32-bit Windows, MSVC
# ABI), and the stand-in orbiter.exe beside it. The build fails when the DLL imports anything the
# host's executable does not export.
#   windows/build.sh [BUILD_DIR]     (default: build-windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
cmake -S "$root/windows" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-i686-windows-msvc.cmake" >/dev/null
cmake --build "$build" -j2

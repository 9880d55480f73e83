#!/usr/bin/env bash
# Builds the plug-in for both editions of the simulator, each with the stand-in orbiter.exe
# beside it, from the same module sources (MSVC ABI, clang in MSVC mode, lld-link):
#   BUILD_DIR/x86/Modules/Plugin/Kelvane.dll   for the 32-bit edition
#   BUILD_DIR/x64/Modules/Plugin/Kelvane.dll   for the 64-bit edition
# The build fails when a DLL imports anything the host's executable does not export.
#   windows/build.sh [BUILD_DIR [--target TARGET]...]     (default: build-windows, everything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows}
shift || true
# shellcheck source=scripts/tools.sh
. "$root/scripts/tools.sh"
for edition in x86:i686 x64:x86_64; do
  arch=${edition%%:*}
  cmake -S "$root/windows" -B "$build/$arch" -G Ninja -DKELVANE_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/windows/toolchain-${edition#*:}-windows-msvc.cmake" >/dev/null
  cmake --build "$build/$arch" -j"$KELVANE_JOBS" "$@"
done

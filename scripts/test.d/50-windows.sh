#!/usr/bin/env bash
# The plug-in as the simulator loads it: builds Kelvane.dll for 32-bit Windows (MSVC ABI) and the
# stand-in orbiter.exe in build-windows/, checks what the DLL imports, and runs the stand-in host
# under Wine. Installs clang, lld, the LLVM tools and Wine when they are missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in clang-14 lld-14 llvm-14 cmake ninja-build python3 wine wine32:i386; do
  installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing ${missing[*]}"
  # Wine runs the 32-bit host from the i386 architecture's packages.
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

echo "== import check tests"
PYTHONDONTWRITEBYTECODE=1 python3 -m unittest discover -s windows -p 'check_imports_test.py'

echo "== Kelvane.dll and the stand-in orbiter.exe"
windows/build.sh build-windows

echo "== Wine smoke test"
windows/smoke_test.sh build-windows

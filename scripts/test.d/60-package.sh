#!/usr/bin/env bash
# The release packages: written twice (the bytes must be equal), then each unpacked into a folder
# laid out like the simulator's and checked as a pilot would use it (tests/package_test.py): under
# 64-bit Wine always, under 32-bit Wine where the machine runs 32-bit programs, each in a Wine
# prefix of its own in build-package/.
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=scripts/apt.sh
. scripts/apt.sh
apt_install wine64
rm -rf build-package
scripts/package.sh build-package/first
scripts/package.sh build-package/second >/dev/null
for zip in build-package/first/*.zip; do
  cmp "$zip" "build-package/second/${zip##*/}"
done
echo "package test: both writings of $(cd build-package/first && echo *.zip) are the same bytes"

# The stand-in orbiter.exe of an edition, in the tree package.sh configured (it builds only what
# the zips hold); after the Windows suite there is nothing to build. Its output shows on failure.
build_orbiter() {
  local output
  output=$(cmake --build "build-windows/$1" -j"$KELVANE_JOBS" --target orbiter 2>&1) ||
    { echo "$output" >&2; return 1; }
}

build_orbiter x64
orbiters=(--orbiter x64=build-windows/x64/orbiter.exe)
if run32_line=$(python3 windows/run32_check.py --work-dir build-windows); then
  if [ -x /usr/lib/wine/wine ]; then
    build_orbiter x86
    orbiters+=(--orbiter x86=build-windows/x86/orbiter.exe)
  else
    echo "package test (x86): Wine run skipped, 32-bit Wine is not installed" \
      "(Debian's wine32:i386, which the Windows suite installs where it can)"
  fi
else
  [ $? -eq 1 ] || exit 1
  echo "package test (x86): Wine run skipped, this machine cannot run 32-bit programs" \
    "(${run32_line#*: no: })"
fi
PYTHONDONTWRITEBYTECODE=1 python3 tests/package_test.py --packages build-package/first \
  --sim build/sim/kelvane-sim "${orbiters[@]}"

#!/usr/bin/env bash
# The plug-in as the simulator loads it: builds Kelvane.dll for the simulator's 32-bit and 64-bit
# editions (MSVC ABI), each with a stand-in orbiter.exe, in build-windows/x86 and build-windows/x64,
# checks what each DLL imports, checks each DLL's run-time type information from its file (what
# the host's dynamic_cast<MFD2*> reads of the display), proves that check refuses a plug-in built
# without it, and runs each stand-in host under Wine of its bitness. Installs clang, lld, the LLVM
# tools and Wine when they are missing. The 64-bit run needs no 32-bit support and runs
# everywhere; on a machine that cannot run 32-bit programs the 32-bit run is skipped, and says so:
# there, the file check is the only check of the 32-bit DLL's type information.
set -euo pipefail
cd "$(dirname "$0")/../.."

# shellcheck source=scripts/apt.sh
. scripts/apt.sh
apt_install "${KELVANE_LLVM_PACKAGES[@]}" cmake ninja-build python3 wine64

echo "== import check and 32-bit check tests"
PYTHONDONTWRITEBYTECODE=1 python3 -m unittest discover -s windows -p '*_test.py'

# Decided by running a 32-bit program: the kernel's settings may claim support it refuses.
status=0
run32_line=$(python3 windows/run32_check.py --work-dir build-windows) || status=$?
echo "$run32_line"
case $status in
  0) run32=yes ;;
  1) run32=no skip32="this machine cannot run 32-bit programs (${run32_line#*: no: })" ;;
  *) exit "$status" ;; # the check itself failed
esac
if [ $run32 = yes ]; then
  # Wine runs the 32-bit host from the i386 architecture's packages. Where Debian's registry
  # cannot deliver them, the 32-bit run cannot happen here: say so, and run the rest.
  if ! apt_installed wine32:i386; then
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
  fi
  if ! apt_install wine32:i386; then
    run32=no skip32="Debian's wine32:i386 could not be installed here (apt-get failed above)"
  fi
fi

echo "== Kelvane.dll for both editions and the stand-in orbiter.exe"
windows/build.sh build-windows

echo "== run-time type information of both DLLs, read from the files"
# On every machine: the Wine runs check it too, with a live object, but only where Wine of the
# DLL's bitness runs.
for arch in x86 x64; do
  python3 windows/check_type_info.py --machine $arch build-windows/$arch/Modules/Plugin/Kelvane.dll
done
# The check must refuse the plug-in built without type information, and for that reason: exit
# status 1 with its message on the missing locator (a crash of the check is no refusal). One
# edition is enough to show the check can fail.
cmake --build build-windows/x64 --target KelvaneNoTypeInfo -j"$KELVANE_JOBS"
status=0
refusal=$(python3 windows/check_type_info.py --machine x64 \
  build-windows/x64/type-info-test/KelvaneNoTypeInfo.dll 2>&1) || status=$?
expected="check_type_info: KelvaneNoTypeInfo.dll: no valid complete object locator before any"
if [ $status -ne 1 ] || [[ $refusal != "$expected"* ]]; then
  echo "type information check: a DLL built without type information was not refused as" \
    "expected (exit status $status): $refusal" >&2
  exit 1
fi
echo "type information check: a DLL built without type information is refused: $refusal"

echo "== Wine smoke test, 64-bit"
windows/smoke_test.sh build-windows/x64
if [ $run32 = yes ]; then
  echo "== Wine smoke test, 32-bit"
  windows/smoke_test.sh build-windows/x86
else
  echo "smoke test (32-bit): skipped, $skip32; its type information was checked from the file above"
fi

# shellcheck shell=bash
# Sourced by the build and test scripts; sets
#   KELVANE_LLVM_VERSION  the one LLVM version the project builds with, from cmake/llvm-version
#                         (which the Windows toolchain and the Python tools read as well)
#   KELVANE_LLVM_BIN      where that version's clang, lld and tools are
#   KELVANE_JOBS          the jobs of every cmake --build and ctest run: one per processor,
#                         unless set in the environment (to share the machine)
kelvane_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KELVANE_LLVM_VERSION=$(head -n 1 "$kelvane_root/cmake/llvm-version")
case $KELVANE_LLVM_VERSION in
  '' | *[!0-9]*)
    echo "$kelvane_root/cmake/llvm-version: no LLVM major version on its first line" >&2
    return 1 ;;
esac
# shellcheck disable=SC2034 # for the scripts that source this
KELVANE_LLVM_BIN=/usr/lib/llvm-$KELVANE_LLVM_VERSION/bin

KELVANE_JOBS=${KELVANE_JOBS:-$(nproc)}
case $KELVANE_JOBS in
  '' | *[!0-9]* | 0*)
    echo "KELVANE_JOBS=$KELVANE_JOBS: not a number of jobs" >&2
    return 1 ;;
esac

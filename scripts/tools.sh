# shellcheck shell=bash
# Sourced by the build and test scripts; defines kelvane_files (at the end) and sets
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

# kelvane_files: the files of the tree, relative to its root, each followed by a NUL: those git
# tracks, or, outside a git checkout (an unpacked archive; said on stderr), every file but the
# build outputs .gitignore leaves out (build*/, out/, dist/).
kelvane_files() {
  local top
  if top=$(git -C "$kelvane_root" rev-parse --show-toplevel 2>/dev/null) &&
    [ "$top" = "$(cd "$kelvane_root" && pwd -P)" ]; then
    git -C "$kelvane_root" ls-files -z
  else
    echo "$kelvane_root is not a git checkout (or git cannot read it): taking the files" \
      "under it but for build*/, out/ and dist/" >&2
    (cd "$kelvane_root" && find . \( -path './build*' -o -path ./out -o -path ./dist \
      -o -path ./.git \) -prune -o -type f -printf '%P\0' | sort -z)
  fi
}

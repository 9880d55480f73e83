#!/usr/bin/env bash
# Configures and builds one tree, all of it or the targets named, with warnings as errors:
#   scripts/build.sh [DIR] [extra cmake options] [--target TARGET]...
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
dir=${1:-build}; shift || true
options=() targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --target) targets+=(--target "${2:?--target needs a target}"); shift 2 ;;
    *) options+=("$1"); shift ;;
  esac
done
cmake -S . -B "$dir" -G Ninja -DKELVANE_WERROR=ON "${options[@]}" >/dev/null
cmake --build "$dir" -j"$KELVANE_JOBS" "${targets[@]}"

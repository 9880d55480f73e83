#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh [DIR] [extra cmake options]
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
dir=${1:-build}; shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j"$KELVANE_JOBS"

#!/usr/bin/env bash
# Times redraws of each page under Wine with real GDI drawing into a memory device context, and
# the same text runs drawn by TextOutA alone, and prints the module's share of a redraw (the
# figures in bench/README.md). Run windows/build.sh first.
#   windows/redraw_figures.sh [BUILD_DIR] [COUNT]     (default: build-windows/x64 2000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-windows/x64}" && pwd)
count=${2:-2000}
# shellcheck source=windows/wine_env.sh
. "$root/windows/wine_env.sh"
wine_env "redraw figures" "$build"
export WINEDEBUG=-all
cd "$build"
"$loader" orbiter.exe --time-redraw "$count" | sed -n '/^redraw timing/,/^Engines/p'

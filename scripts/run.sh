#!/usr/bin/env bash
# Sets up, builds and shows the Kelvane display on the built-in sample scenario.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DKELVANE_BENCH=OFF
exec build/sim/kelvane-sim "$@"

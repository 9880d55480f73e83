#!/usr/bin/env bash
# A short run of every fuzz target; scripts/fuzz.sh runs them as long as wanted.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/fuzz.sh "${KELVANE_FUZZ_SECONDS:-45}"

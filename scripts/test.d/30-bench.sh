#!/usr/bin/env bash
# The benchmarks once, briefly: not for their figures (which need a quiet machine and
# scripts/bench.sh's full runs), but so that the script and its report cannot break unseen. The
# report fails when a benchmark stops with an error, such as a floor that no longer draws what
# the display draws.
set -euo pipefail
cd "$(dirname "$0")/../.."
output=$(scripts/bench.sh --benchmark_min_time=0.001 --benchmark_repetitions=1 2>&1) || {
  echo "$output" >&2
  echo "bench: scripts/bench.sh failed" >&2
  exit 1
}
echo "bench: scripts/bench.sh ran every benchmark; its report has $(
  grep -c '^| [A-Z]' <<<"$output") rows"

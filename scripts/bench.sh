#!/usr/bin/env bash
# Builds and runs the benchmarks (bench/) in build/ and prints the tables of bench/README.md:
#   scripts/bench.sh [extra kelvane_bench options, e.g. --benchmark_filter=Redraw]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build -DKELVANE_BENCH=ON >/dev/null
build/bench/kelvane_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out=build/bench/results.json --benchmark_out_format=json "$@"
python3 bench/report.py build/bench/results.json

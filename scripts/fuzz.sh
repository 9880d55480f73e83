#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for SECONDS (default 60):
#   scripts/fuzz.sh [SECONDS] [TARGET …]
# Each target starts from its seed corpus in fuzz/corpus/<target>/ and keeps what it finds in
# build-fuzz/corpus/<target>/. An input that breaks a check is written to build-fuzz/artifacts/
# and the script fails; copy such an input into fuzz/regressions/<target>/ so that the test
# suite replays it (tests/fuzz_corpus_test.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
# The reports name functions and lines through this version's symbolizer (setup.sh installs no
# unversioned one).
export ASAN_SYMBOLIZER_PATH=$KELVANE_LLVM_BIN/llvm-symbolizer
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(number_format read_status load_state vessel_class scenario_file)
fi

mkdir -p build-fuzz
# Quiet when it works; the build's own messages when it does not.
if ! { cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER="$KELVANE_LLVM_BIN/clang" \
  -DCMAKE_CXX_COMPILER="$KELVANE_LLVM_BIN/clang++" \
  -DKELVANE_FUZZ=ON -DKELVANE_WERROR=ON -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF &&
  cmake --build build-fuzz -j"$KELVANE_JOBS" --target fuzzers; } >build-fuzz/build.log 2>&1; then
  echo "fuzz: the fuzz targets did not build:" >&2
  tail -40 build-fuzz/build.log >&2
  exit 1
fi

mkdir -p build-fuzz/artifacts
failed=()
for target in "${targets[@]}"; do
  case $target in
    number_format) dictionary=() ;;
    vessel_class) dictionary=(-dict=fuzz/class_file.dict) ;;
    *) dictionary=(-dict=fuzz/scenario.dict) ;;
  esac
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/artifacts/$target.log"
  if build-fuzz/fuzz/"${target}"_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 "${dictionary[@]}" -artifact_prefix="build-fuzz/artifacts/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    cover=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    echo "fuzz $target: ${seconds} s, ${runs:-?} inputs, ${cover:-cov: ?}, no failure"
  else
    echo "fuzz $target: FAILED, see $log and build-fuzz/artifacts/$target-*"
    grep -m5 -E 'fuzz check failed|ERROR|SUMMARY' "$log" || tail -20 "$log"
    failed+=("$target")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found failures in: ${failed[*]}"
  exit 1
fi

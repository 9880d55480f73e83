#!/usr/bin/env bash
# Sets up, then runs the whole test suite: first the fast checks (the C++ files' format, by
# scripts/check_format.sh, and shellcheck on the shell scripts, by scripts/check_shell.sh), then
# the plain build, the sanitizer build, and the further suites in scripts/test.d/ (each a script
# that exits non-zero on failure). Every build treats a compiler warning as an error.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
scripts/setup.sh

# Seconds each, before minutes of building.
echo "== format of the C++ files"
scripts/check_format.sh
echo "== shellcheck on the shell scripts"
scripts/check_shell.sh

echo "== plain build and tests"
scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$KELVANE_JOBS"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
scripts/build.sh build-asan -DKELVANE_SANITIZE=ON -DKELVANE_BENCH=OFF \
  -DCMAKE_CXX_COMPILER="$KELVANE_LLVM_BIN/clang++"
# The reports name functions and lines through this version's symbolizer (setup.sh installs
# no unversioned one).
ASAN_SYMBOLIZER_PATH=$KELVANE_LLVM_BIN/llvm-symbolizer ASAN_OPTIONS=detect_leaks=1 \
  ctest --test-dir build-asan --output-on-failure -j"$KELVANE_JOBS"

for suite in scripts/test.d/*.sh; do
  [ -e "$suite" ] || continue
  echo "== $suite"
  bash "$suite"
done
echo "all test suites passed"

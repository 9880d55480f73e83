#!/usr/bin/env bash
# Runs every test program under valgrind's memcheck; any memory error or leak fails the run.
#   scripts/valgrind.sh [BUILD_DIR]
# BUILD_DIR (default build-valgrind) is configured and built here as a plain build without the
# sanitizers, which do not run under valgrind. Takes a few minutes; not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-valgrind}
scripts/build.sh "$dir" -DKELVANE_SANITIZE=OFF -DKELVANE_BENCH=OFF

status=0
for program in "$dir"/tests/kelvane_*tests; do
  [ -x "$program" ] || continue
  echo "== valgrind $(basename "$program")"
  # nouserintercepts: the programs that replace operator new keep their own (it must count
  # or fail allocations); valgrind still sees the malloc and free underneath.
  if ! valgrind --tool=memcheck --soname-synonyms=somalloc=nouserintercepts \
      --error-exitcode=99 --leak-check=full \
      --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
      --track-origins=yes --quiet "$program" --gtest_brief=1; then
    echo "valgrind: $(basename "$program") FAILED"
    status=1
  fi
done
[ $status -eq 0 ] && echo "valgrind: no errors and no leaks in any test program"
exit $status

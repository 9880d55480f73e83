#!/usr/bin/env bash
# Checks that every C++ file of the tree is formatted as .clang-format says, by the clang-format
# of the project's one LLVM version (other versions break some lines differently):
#   scripts/check_format.sh          names the files that differ and the command that fixes them
#   scripts/check_format.sh --fix    formats the files in place
# The files are the ones git tracks; outside a git checkout, as kelvane_files (tools.sh) says.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
case ${1-} in
  '') fix=no ;;
  --fix) fix=yes ;;
  *) echo "usage: scripts/check_format.sh [--fix]" >&2; exit 2 ;;
esac
clang_format=$KELVANE_LLVM_BIN/clang-format
if [ ! -x "$clang_format" ]; then
  echo "format: no $clang_format (scripts/setup.sh installs clang-format-$KELVANE_LLVM_VERSION)" >&2
  exit 1
fi

files=()
while IFS= read -r -d '' file; do
  case $file in
    *.cpp | *.h | *.cc | *.cxx | *.hpp | *.hh | *.hxx | *.inl | *.ipp | *.tpp)
      [ -f "$file" ] && files+=("$file") ;;
  esac
done < <(kelvane_files)
if [ ${#files[@]} -eq 0 ]; then
  echo "format: no C++ files found to check" >&2
  exit 1
fi

if [ $fix = yes ]; then
  "$clang_format" -i -- "${files[@]}"
  echo "format: formatted ${#files[@]} files with clang-format-$KELVANE_LLVM_VERSION"
  exit 0
fi
if report=$("$clang_format" --dry-run --Werror -- "${files[@]}" 2>&1); then
  echo "format: ${#files[@]} C++ files formatted as .clang-format says"
  exit 0
fi
# Each misplaced line is reported as FILE:LINE:COLUMN: error: code should be clang-formatted.
mapfile -t bad < <(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
  <<<"$report" | sort -u)
if [ ${#bad[@]} -eq 0 ]; then
  echo "format: clang-format-$KELVANE_LLVM_VERSION failed:" >&2
  echo "$report" >&2
  exit 1
fi
echo "format: ${#bad[@]} file(s) not formatted as .clang-format says:" >&2
printf '  %s\n' "${bad[@]}" >&2
head -n 30 <<<"$report" >&2
echo "format: fix them with scripts/check_format.sh --fix, or:" >&2
printf '  %q -i' "$clang_format" >&2
printf ' %q' "${bad[@]}" >&2
echo >&2
exit 1

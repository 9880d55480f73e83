#!/usr/bin/env bash
# Runs shellcheck, at its default severity, on every shell script of the tree: the *.sh files
# (the sourced ones too), .ci/run and any other file whose first line runs sh or bash. The files
# are the ones git tracks; outside a git checkout, as kelvane_files (tools.sh) says.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/tools.sh
. scripts/tools.sh
if ! command -v shellcheck >/dev/null; then
  echo "shellcheck: not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi
scripts=()
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  case $file in
    *.sh) scripts+=("$file"); continue ;;
  esac
  first=
  IFS= read -r first <"$file" || true
  if [[ $first =~ ^#![[:space:]]*(/usr)?/bin/(env[[:space:]]+)?(ba|da)?sh([[:space:]]|$) ]]; then
    scripts+=("$file")
  fi
done < <(kelvane_files)
# Run from the root, where the scripts' source= directives point; .shellcheckrc says the same.
if shellcheck -x -- "${scripts[@]}"; then
  echo "shellcheck: ${#scripts[@]} scripts without findings"
else
  echo "shellcheck: the findings above fail the check" >&2
  exit 1
fi

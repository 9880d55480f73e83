#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (only what is missing).
set -euo pipefail
packages=(cmake ninja-build g++ clang lld llvm libclang-rt-14-dev libgtest-dev libbenchmark-dev
          libcli11-dev pkg-config libcairo2-dev fonts-dejavu-core libncurses-dev tmux valgrind
          python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  # A package list that fails to download (a mirror in the middle of a sync) need not stop
  # the install: the lists at hand may do.
  $SUDO apt-get update -qq ||
    echo "apt-get update failed; installing from the package lists at hand" >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

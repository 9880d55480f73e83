#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine (only what is missing).
set -euo pipefail
# shellcheck source=scripts/apt.sh
. "$(dirname "$0")/apt.sh"
apt_install cmake ninja-build g++ "${KELVANE_LLVM_PACKAGES[@]}" \
  "libclang-rt-$KELVANE_LLVM_VERSION-dev" "clang-format-$KELVANE_LLVM_VERSION" shellcheck \
  libgtest-dev libbenchmark-dev libcli11-dev pkg-config libcairo2-dev fonts-dejavu-core \
  libncurses-dev tmux valgrind python3

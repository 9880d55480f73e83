# shellcheck shell=bash
# Sourced by every script that installs Debian packages.
#   apt_install PACKAGE...   installs those of them that are missing; its status is the install's
#   apt_installed PACKAGE    whether it is installed
#   as_root COMMAND...       runs COMMAND as root: directly when root, else through sudo
#   KELVANE_LLVM_PACKAGES    clang, lld and the LLVM tools of the project's one LLVM version
# Another apt-get may hold the lock for a while (a second build on the machine): wait for it.
# shellcheck source=scripts/tools.sh
. "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/tools.sh" || return 1
# shellcheck disable=SC2034 # for the scripts that source this
KELVANE_LLVM_PACKAGES=("clang-$KELVANE_LLVM_VERSION" "lld-$KELVANE_LLVM_VERSION"
                       "llvm-$KELVANE_LLVM_VERSION")

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

apt_install() {
  local missing=() p
  for p in "$@"; do apt_installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  # A package list that fails to download (a mirror in the middle of a sync) need not stop
  # the install: the lists at hand may do.
  as_root apt-get -o DPkg::Lock::Timeout=600 update -qq ||
    echo "apt-get update failed; installing from the package lists at hand" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
}

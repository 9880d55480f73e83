# shellcheck shell=bash
# Sourced by the scripts that run a stand-in orbiter.exe under Wine.
#   wine_env WHAT BUILD_DIR [PREFIX]
# checks that BUILD_DIR holds orbiter.exe and the plug-in, picks the Wine loader of the
# executable's bitness (each runs programs of its own bitness only), sets `loader` and `edition`
# ("32-bit" or "64-bit") and the Wine environment, and uses the Wine prefix PREFIX (default
# BUILD_DIR/wineprefix), making it when it is missing (wine_prefix). WHAT starts every message.
#   wine_prefix WHAT PREFIX
# after wine_env's choice of loader: makes PREFIX the Wine prefix, creating it when missing,
# with the log of its creation in PREFIX/wineboot.log. A prefix is made for one bitness.
# shellcheck source=scripts/tools.sh
. "$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/tools.sh" || return 1
wine_env() {
  local what=$1 build=$2 format bits package
  if [ ! -f "$build/orbiter.exe" ] || [ ! -f "$build/Modules/Plugin/Kelvane.dll" ]; then
    echo "$what: build $build first (windows/build.sh)" >&2
    exit 1
  fi
  format=$("$KELVANE_LLVM_BIN/llvm-readobj" --file-headers "$build/orbiter.exe" |
    sed -n 's/^Format: //p')
  case $format in
    COFF-i386) bits=32 loader=/usr/lib/wine/wine package=wine32:i386 ;;
    COFF-x86-64) bits=64 loader=/usr/lib/wine/wine64 package=wine64 ;;
    *) echo "$what: $build/orbiter.exe is no Windows program ($format)" >&2; exit 1 ;;
  esac
  edition="$bits-bit"
  [ -x "$loader" ] ||
    { echo "$what ($edition): $loader is missing (Debian's $package)" >&2; exit 1; }

  export WINEARCH=win$bits
  export WINEDEBUG=-all,warn+module
  # No Mono or Gecko: the prefix is made quicker and asks nothing.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  wine_prefix "$what" "${3:-$build/wineprefix}"
}

wine_prefix() {
  local what=$1
  # Wine takes an absolute prefix only.
  mkdir -p "$2"
  WINEPREFIX=$(cd "$2" && pwd)
  export WINEPREFIX
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "$what ($edition): creating the Wine prefix $WINEPREFIX"
    "$loader" wineboot -i >"$WINEPREFIX/wineboot.log" 2>&1 ||
      { echo "$what ($edition): wineboot failed, see $WINEPREFIX/wineboot.log" >&2; exit 1; }
  fi
}

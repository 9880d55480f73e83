#!/usr/bin/env bash
# Runs the stand-in orbiter.exe of one edition under Wine: 32-bit Wine for the x86 build, 64-bit
# Wine for the x64 one. It loads Modules/Plugin/Kelvane.dll from beside itself, drives it as the
# simulator does (cockpit displays, then in a new session external windows, and at the end the
# fast shutdown, which unloads the module with the displays open) and prints what the displays
# drew. The test fails when the run fails one of its checks, when its transcript differs from
# windows/smoke/expected-transcript.txt (the same for both editions; the steps are
# windows/smoke/steps.txt, built into orbiter.exe), when Wine reports an import it cannot
# resolve (Windows would refuse such a DLL), or when the drawn frames, of cockpit displays and
# windows, differ from what kelvane-sim, the native stand-in host, prints for the same vessels,
# buttons and scenarios, or when the Launchpad's Modules tab, listed by the same orbiter.exe,
# differs from windows/smoke/expected-launchpad.txt.
#   windows/smoke_test.sh [BUILD_DIR] [--regenerate]     (default: build-windows/x64)
# --regenerate rewrites the expected transcript and listing from this run (review the difference
# before committing it). KELVANE_NATIVE_BUILD names the native build with kelvane-sim (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-windows/x64
regenerate=no
for arg in "$@"; do
  case $arg in
    --regenerate) regenerate=yes ;;
    *) build=$(cd "$arg" && pwd) ;;
  esac
done
smoke=$root/windows/smoke
expected=$smoke/expected-transcript.txt
out=$build/smoke
native=${KELVANE_NATIVE_BUILD:-$root/build}

# shellcheck source=windows/wine_env.sh
. "$root/windows/wine_env.sh"
wine_env "smoke test" "$build"

# The default prefix maps drive Z: to the root of the file system.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

rm -rf "$out"
mkdir -p "$out/frames"
args=(--scenario "$(winpath "$smoke/status-and-state.scn")" --frames "$(winpath "$out/frames")")
[ $regenerate = yes ] || args+=(--expect "$(winpath "$expected")")
status=0
# The run uses up the memory it may have to make the module's allocation fail for real. A 32-bit
# process has 4 GiB at most; a 64-bit one gets the same under a limit, as Wine could not reserve
# its 128 TiB in reasonable time.
(cd "$build" && ulimit -v $((4 * 1024 * 1024)) && exec "$loader" orbiter.exe "${args[@]}") \
  >"$out/transcript.txt" 2>"$out/wine.log" || status=$?

failed=no
if grep -q "No implementation for" "$out/wine.log"; then
  echo "smoke test ($edition): Wine could not resolve imports of the plug-in:" >&2
  grep "No implementation for" "$out/wine.log" >&2
  failed=yes
fi
if [ $status -eq 3 ]; then
  # The module made a call the simulator would not survive; orbiter.exe said which on stderr.
  echo "smoke test ($edition): orbiter.exe stopped where the simulator would crash:" >&2
  grep "^orbiter.exe: " "$out/wine.log" >&2 || tail -5 "$out/wine.log" >&2
  failed=yes
elif [ $status -ne 0 ]; then
  echo "smoke test ($edition): orbiter.exe exited with $status; its failures:" >&2
  grep -E "^(FAIL|.*checks failed)" "$out/transcript.txt" >&2 || tail -20 "$out/transcript.txt" >&2
  grep -E "^ *(expected|drawn):" "$out/transcript.txt" >&2 || true
  failed=yes
fi
if [ $regenerate = yes ] && [ $failed = no ]; then
  cp "$out/transcript.txt" "$expected"
  echo "smoke test ($edition): wrote $expected"
fi

# The Launchpad's Modules tab on a folder laid out like the simulator's, with the plug-in and a
# module that has no resources: Kelvane under "MFD modes" with its description and version
# record, the other under "Miscellaneous". The expected listing names the version @VERSION@.
version=$(sed -n 's/^set(KELVANE_VERSION \(.*\))$/\1/p' "$root/cmake/version.cmake")
launchpad=$out/launchpad
mkdir -p "$launchpad/Modules/Plugin"
cp "$build/orbiter.exe" "$launchpad/"
cp "$build/Modules/Plugin/Kelvane.dll" "$build/launchpad-test/NoResources.dll" \
  "$launchpad/Modules/Plugin/"
(cd "$launchpad" && exec "$loader" orbiter.exe --launchpad) >"$out/launchpad.txt" \
  2>>"$out/wine.log" || { echo "smoke test ($edition): orbiter.exe --launchpad failed" >&2; failed=yes; }
expected_launchpad=$smoke/expected-launchpad.txt
if [ $regenerate = yes ]; then
  sed "s/\"$version\"/\"@VERSION@\"/g" "$out/launchpad.txt" >"$expected_launchpad"
elif ! sed "s/@VERSION@/$version/g" "$expected_launchpad" | diff -u - "$out/launchpad.txt" >&2; then
  echo "smoke test ($edition): the Launchpad listed other modules than $expected_launchpad" >&2
  failed=yes
fi

# The frames as the displays drew them: from "[MFD ...]" or "[Window ...]" to "[buttons] ...".
frames() { awk '/^\[(MFD|Window) /{on=1} on{print} /^\[buttons\]/{on=0}' "$1"; }
frames "$out/transcript.txt" >"$out/frames-wine.txt"
sim=$native/sim/kelvane-sim
if [ -x "$sim" ]; then
  # The stand-in orbiter.exe's steps without its own steps and headings, and with the steps
  # that are kelvane-sim's alone: kelvane-sim's script.
  grep -Ev '^[[:space:]]*(host[[:space:]]|==)' "$smoke/steps.txt" |
    sed -e 's/^[[:space:]]*sim[[:space:]]\{1,\}//' \
      -e "s|@SCENARIO@|\"$smoke/status-and-state.scn\"|" \
      -e "s|@NEXT_SESSION@|\"$smoke/next-session.scn\"|" >"$out/kelvane-sim-steps.txt"
  "$sim" --size 256x256 --script "$out/kelvane-sim-steps.txt" >"$out/kelvane-sim.txt"
  frames "$out/kelvane-sim.txt" >"$out/frames-native.txt"
  if ! diff -u "$out/frames-native.txt" "$out/frames-wine.txt" >"$out/frames.diff"; then
    echo "smoke test ($edition): under Wine the display drew other text than in kelvane-sim:" >&2
    cat "$out/frames.diff" >&2
    failed=yes
  else
    frames=$(grep -Ec '^\[(MFD|Window) ' "$out/frames-wine.txt")
    echo "smoke test ($edition): $frames frames drawn under Wine equal kelvane-sim's"
  fi
elif [ -n "${CI:-}" ]; then
  echo "smoke test ($edition): $sim is missing; CI builds it before this test" >&2
  failed=yes
else
  echo "smoke test ($edition): no $sim: the comparison with the native stand-in host is skipped"
fi

if [ $failed = yes ]; then
  echo "smoke test ($edition): FAILED (transcript, Wine log and frames in $out)" >&2
  exit 1
fi
grep -E "^(transcript matches|ink:|allocation failure|FreeLibrary)" "$out/transcript.txt" | sort | uniq -c
echo "smoke test ($edition): the host's log:"
sed -n 's/^log: /  /p' "$out/transcript.txt"
echo "smoke test ($edition): the Launchpad's Modules tab:"
sed -n '/^category\|^  module/s/^/  /p' "$out/launchpad.txt"
grep -E "^(== a press while|frame:|dynamic_cast|quit fast:)" "$out/transcript.txt" | sed 's/^/  /'
echo "smoke test ($edition): passed; pictures of the frames in $out/frames"

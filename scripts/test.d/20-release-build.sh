#!/usr/bin/env bash
# The module and kelvane-sim built in Release, the first configuration a maintainer or a
# packager tries (the other trees here are RelWithDebInfo or sanitized); then the Release
# kelvane-sim must draw every page of every sample vessel, in both notations, as the plain
# build's does, so that optimisation changes nothing the display shows.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DKELVANE_TESTS=OFF \
  -DKELVANE_BENCH=OFF --target kelvane-sim --target Kelvane
scripts/build.sh build --target kelvane-sim --target Kelvane >/dev/null

steps=""
for vessel in GL-01 PB-01 SH-01 CP-7; do
  steps+="focus $vessel; open Left; draw Left; press Left 0; draw Left; press Left 3; draw Left; "
  steps+="press Left 0; draw Left; press Left 3; press Left 2; draw Left; press Left 0; draw Left; "
done
release=$(build-release/sim/kelvane-sim -e "$steps")
plain=$(build/sim/kelvane-sim -e "$steps")
if [ "$release" != "$plain" ]; then
  echo "release build: the Release kelvane-sim draws the sample otherwise than build/'s:" >&2
  diff <(echo "$plain") <(echo "$release") >&2 || true
  exit 1
fi
frames=$(grep -c '^\[MFD' <<<"$release")
echo "release build: the Release kelvane-sim draws the sample's $frames frames as build/'s does"

#!/usr/bin/env bash
# Brings the release tree, build/release (optimised, baseline x86-64, no
# sanitizers), up to date for the plug-in and tessel-host: configures it when
# it is missing, installing the build packages through scripts/setup.sh
# first, and builds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=build/release

cache=$tree/CMakeCache.txt
if [ ! -f "$cache" ]; then
  bash scripts/setup.sh
  echo "release-tree: configuring $tree"
  # A unity build (a few large sources per library) compiles in less than half the time.
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE= -DCMAKE_UNITY_BUILD=ON \
        -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
elif ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$cache" || ! grep -qx 'TESSEL_SANITIZE:STRING=' "$cache"; then
  echo "release-tree: $tree was configured otherwise; making it a release build again"
  cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE= >/dev/null
fi
cmake --build "$tree" -j "$(nproc)" --target TesselEQ tessel-host

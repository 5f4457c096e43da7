#!/usr/bin/env bash
# Brings the release tree, build/release (optimised, baseline x86-64, no
# sanitizers), up to date for the plug-in and tessel-host: configures it when
# it is missing, installing the build packages through scripts/setup.sh
# first, and builds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=build/release

if [ ! -f "$tree/CMakeCache.txt" ]; then
  bash scripts/setup.sh
  echo "release-tree: configuring $tree"
  cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE= \
        -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$tree" -j "$(nproc)" --target TesselEQ tessel-host

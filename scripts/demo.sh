#!/usr/bin/env bash
# Builds the plug-in (release, baseline x86-64) and shows what a host sees of it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target TesselEQ tessel-host

./build/release/bin/tessel-host info build/release/bin/TesselEQ.so

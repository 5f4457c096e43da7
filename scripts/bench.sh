#!/usr/bin/env bash
# Builds an optimised tree in build/release (no sanitizers, no tests) and runs
# every benchmark executable in build/release/bin whose name starts with
# "bench_". Arguments go to each benchmark, e.g. --benchmark_filter=Seven.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSEL_SANITIZE= \
      -DTESSEL_BUILD_TESTS=OFF -DTESSEL_BUILD_BENCH=ON >/dev/null
cmake --build build/release -j "$(nproc)"

shopt -s nullglob
found=0
status=0
for exe in build/release/bin/bench_*; do
  [[ -f "$exe" && -x "$exe" ]] || continue
  found=1
  echo "== $(basename "$exe")"
  "$exe" "$@" || status=1
done
if [[ $found -eq 0 ]]; then
  echo "bench: no benchmark executables in build/release/bin" >&2
  exit 1
fi
exit $status

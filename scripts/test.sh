#!/usr/bin/env bash
# Builds and runs the whole test suite:
#   build/asan  — every test under AddressSanitizer + UndefinedBehaviorSanitizer
#   build/tsan  — the concurrency tests under ThreadSanitizer
# Both run on a virtual X server (xvfb-run), so the editor's X tests drive a
# real display with XTest input. First, every C++ source must be in the house
# layout (scripts/format.sh --check).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
# Unity builds: each library compiles as a few large sources instead of one
# per file, so the headers they share are parsed and instantiated once per
# batch; that halves the libraries' compile time or better. (A tree one edits
# and rebuilds file by file is better off without.)
configure() {  # dir sanitizers extra...
  local dir=$1 san=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON \
        -DTESSEL_SANITIZE="$san" -DTESSEL_WARNINGS_AS_ERRORS=ON "$@" >/dev/null
}

# Benchmarks are built and run from the release tree (scripts/bench.sh): no
# test runs them, so the sanitizer trees leave them out.
configure build/asan "address,undefined" -DTESSEL_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"
# Under ThreadSanitizer only the concurrency tests and what they load.
configure build/tsan "thread" -DTESSEL_BUILD_BENCH=OFF
cmake --build build/tsan -j "$jobs" --target tessel_tests

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24")
status=0
echo "== House layout"
bash scripts/format.sh --check || status=1
echo "== ThreadSanitizer: concurrency tests"
"${xvfb[@]}" ctest --test-dir build/tsan -L concurrency --output-on-failure -j "$jobs" || status=1
echo "== AddressSanitizer + UndefinedBehaviorSanitizer: all tests (X tests on a virtual display)"
"${xvfb[@]}" ctest --test-dir build/asan --output-on-failure -j "$jobs" || status=1
exit $status

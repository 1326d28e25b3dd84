#!/usr/bin/env bash
# Builds everything and runs every test: a normal build, then the unit tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Tests that read pixels back share one screen, so they run one at a time after the rest.
ctest_all() {
  local dir=$1
  local status=0
  ctest --test-dir "$dir" --output-on-failure -j2 -LE display || status=1
  ctest --test-dir "$dir" --output-on-failure -j1 -L display || status=1
  return $status
}

run_ctest() {
  if [ -n "${DISPLAY:-}" ]; then
    ctest_all "$1"
  else
    export -f ctest_all
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash -c 'ctest_all "$0"' "$1"
  fi
}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
run_ctest build

# The sanitizer build skips the editor's widgets and the benchmarks to keep CI short.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSPARKWRIGHT_SANITIZE=ON \
      -DSPARKWRIGHT_EDITOR=OFF -DSPARKWRIGHT_BENCH=OFF
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan

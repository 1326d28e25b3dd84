#!/usr/bin/env bash
# Builds everything and runs every test: a normal build, then the unit tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

run_ctest() {
  if [ -n "${DISPLAY:-}" ]; then
    scripts/ctest-all.sh "$1"
  else
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" scripts/ctest-all.sh "$1"
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

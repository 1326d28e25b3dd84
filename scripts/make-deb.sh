#!/usr/bin/env bash
# Builds a release and packs it as a Debian package in build-deb/:
#   scripts/make-deb.sh    ->  build-deb/sparkwright_<version>_<arch>.deb
# Install it with: sudo apt install ./build-deb/sparkwright_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DSPARKWRIGHT_BENCH=OFF
cmake --build build-deb -j2
(cd build-deb && cpack -G DEB)
ls build-deb/sparkwright_*.deb

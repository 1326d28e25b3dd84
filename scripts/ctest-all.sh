#!/usr/bin/env bash
# Runs every test of one build folder. Tests that read pixels back share one
# screen, so they run one at a time after the rest.
set -u
dir=$1
status=0
ctest --test-dir "$dir" --output-on-failure -j2 -LE display || status=1
ctest --test-dir "$dir" --output-on-failure -j1 -L display || status=1
exit $status

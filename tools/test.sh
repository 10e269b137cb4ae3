#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PLUME_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPLUME_WERROR=ON
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure

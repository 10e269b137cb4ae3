#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
# PLUME_SANITIZE=address,undefined builds with those sanitizers (in
# build-sanitize unless PLUME_BUILD_DIR says otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
sanitize=${PLUME_SANITIZE:-}
if [ -n "$sanitize" ]; then
  build=${PLUME_BUILD_DIR:-build-sanitize}
  type=RelWithDebInfo
  # Consumers of the installed tree are not built with the sanitizers.
  skip=(-E '^Install\.')
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  # fontconfig's process-wide caches (fonts for PDF, SVG and PNG) are not ours.
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}
else
  build=${PLUME_BUILD_DIR:-build}
  type=Release
  skip=()
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=$type -DPLUME_WERROR=ON -DPLUME_SANITIZE="$sanitize"
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure "${skip[@]}"

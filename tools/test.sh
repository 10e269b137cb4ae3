#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test against the
# current sources; fails when a test fails or when no test ran. Installs
# missing Debian packages first (see tools/prerequisites.sh).
#
# The build directory is build/ (PLUME_BUILD_DIR overrides it); every option
# is given on each run, so whatever a directory cached before cannot turn
# tests off. PLUME_SANITIZE=address,undefined builds with those sanitizers,
# in build-sanitize/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/prerequisites.sh
plume_install_missing "${plume_build_packages[@]}" "${plume_test_packages[@]}"

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
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=$type -DPLUME_WERROR=ON -DPLUME_SANITIZE="$sanitize" \
      -DPLUME_BUILD_TESTS=ON -DPLUME_BUILD_EXAMPLES=ON -DPLUME_BUILD_SHARED=ON -DPLUME_BUILD_BENCH=OFF \
      -DPLUME_FUZZ=OFF
cmake --build "$build" -j2
ctest --test-dir "$build" -j2 --output-on-failure --no-tests=error "${skip[@]}"

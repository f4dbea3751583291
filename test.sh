#!/usr/bin/env bash
# Builds the program and runs the whole test suite.
# BUILD_DIR and INKMATE_CMAKE_ARGS choose another build (the CI's sanitizer run).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
build=${BUILD_DIR:-BUILD}
# shellcheck disable=SC2086
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} ${INKMATE_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600

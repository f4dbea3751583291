#!/usr/bin/env bash
# Builds the program and runs the whole test suite.
# BUILD_DIR and INKMATE_CMAKE_ARGS choose another build (the CI's sanitizer run);
# INKMATE_QT6=1 builds against Qt 6 instead of Qt 5.15.
set -euo pipefail
cd "$(dirname "$0")"
qt=OFF
deps=()
if [ "${INKMATE_QT6:-0}" = 1 ]; then
  qt=ON
  deps=(qt6)
fi
scripts/install-deps.sh "${deps[@]}"
build=${BUILD_DIR:-BUILD}
# shellcheck disable=SC2086
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Release} -DINKMATE_QT6=$qt ${INKMATE_CMAKE_ARGS:-}
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 600

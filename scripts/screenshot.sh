#!/usr/bin/env bash
# Renders the main window and the game settings form under the offscreen platform
# into docs/screenshot.png and docs/screenshot-settings.png.
# Usage: scripts/screenshot.sh [BUILD_DIR]   (default BUILD-screenshot)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/BUILD-screenshot}
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DINKMATE_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target test_qt
mkdir -p "$src/docs"
QT_QPA_PLATFORM=offscreen INKMATE_NONINTERACTIVE=1 \
  INKMATE_SCREENSHOT="$src/docs/screenshot.png" \
  "$build/bin/test_qt" --gtest_filter='Screenshot.*' >/dev/null
echo "Wrote $src/docs/screenshot.png"

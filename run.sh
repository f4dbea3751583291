#!/usr/bin/env bash
# Builds the program (release), stages a runnable folder and starts it there.
#   ./run.sh               stage in ./stage and start the program
#   ./run.sh --stage DIR   stage in DIR without starting
set -euo pipefail
cd "$(dirname "$0")"
stage=stage
start=1
if [ "${1:-}" = "--stage" ]; then
  stage=${2:?usage: ./run.sh --stage DIR}
  start=0
  shift 2
fi
scripts/install-deps.sh
cmake -S . -B BUILD-release -DCMAKE_BUILD_TYPE=Release -DINKMATE_TESTS=OFF -DINKMATE_BENCH=OFF >/dev/null
cmake --build BUILD-release -j"$(nproc)" --target inkmate inkmate-tool
scripts/stage.sh BUILD-release/bin "$stage"
echo "Staged in $stage"
[ "$start" -eq 1 ] || exit 0

args=()
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  args+=(--window 600x800)   # desktop: a window of a reader's size
fi
exec "$stage/inkmate" "${args[@]}" "$@"

#!/bin/sh
# The bundled Stockfish, started like the program: through the bundle's loader.
here=$(cd "$(dirname "$0")/.." && pwd) || exit 1
# shellcheck disable=SC2086
exec ${INKMATE_EMULATOR:-} "$here/lib/ld-linux-armhf.so.3" --inhibit-cache \
  --library-path "$here/lib" "$here/engines/stockfish-armhf" "$@"

#!/bin/sh
# Lists the chess engines on this machine that the program can drive.
#   find-engines.sh          one catalogue entry per engine, "KIND|NAME|engines/PROGRAM ARGS"
#                            (paths relative to the staged folder), in a fixed order
#   find-engines.sh --links  "PROGRAM ABSOLUTE_PATH" per engine, for the links in engines/
# Fairy-Max is left out: it cannot set up a position ("feature setboard=0").
# Phalanx refuses "sd"; the driver then sends the level as "depth".
set -eu

mode=entries
case "${1:-}" in
  --links) mode=links ;;
  "") ;;
  *) echo "usage: $0 [--links]" >&2; exit 2 ;;
esac

locate() {
  found=$(command -v "$1" 2>/dev/null || true)
  if [ -z "$found" ]; then
    for dir in /usr/games /usr/local/games; do
      if [ -x "$dir/$1" ]; then found="$dir/$1"; break; fi
    done
  fi
  case "$found" in
    /*) [ -x "$found" ] && echo "$found" ;;
  esac
}

# program|kind|name|arguments
while IFS='|' read -r program kind name arguments; do
  path=$(locate "$program") || continue
  [ -n "$path" ] || continue
  if [ "$mode" = links ]; then
    echo "$program $path"
  else
    echo "$kind|$name|engines/$program$arguments"
  fi
done <<'LIST'
stockfish|UCI|Stockfish|
gnuchess|UCI|GNU Chess| --uci
hoichess|XBOARD|HoiChess|
phalanx|XBOARD|Phalanx|
LIST

#!/usr/bin/env bash
# Stages a runnable folder: binaries, configuration, translations, board fonts,
# engines found on this machine, style sheet and the data folder.
# Usage: scripts/stage.sh BIN_DIR STAGE_DIR
# INKMATE_EMULATOR runs binaries of another architecture (qemu-arm-static).
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "$1" && pwd)
mkdir -p "$2"
stage=$(cd "$2" && pwd)

install -m 755 "$bin/inkmate" "$bin/inkmate-tool" "$stage/"
mkdir -p "$stage/translate" "$stage/chess" "$stage/fonts" "$stage/engines"
install -m 644 "$src/assets/translate/messages.lng" "$stage/translate/"
[ -f "$src/assets/default.qss" ] && install -m 644 "$src/assets/default.qss" "$stage/"
cp -r "$src/assets/fonts/." "$stage/fonts/"
# The named opening lines (pgn-extract's eco.pgn, GPL-3+) for the opening names.
eco=/usr/share/pgn-extract/eco.pgn
if [ -f "$eco" ]; then
  mkdir -p "$stage/openings"
  install -m 644 "$eco" "$stage/openings/eco.pgn"
else
  echo "warning: $eco is missing (pgn-extract): games show no opening names" >&2
fi

# Engines: links below the folder, entries for the catalogue.
engine_entries=("HUM|Human|-")
if [ -x "$src/scripts/find-engines.sh" ]; then
  while read -r name path; do
    [ -n "$name" ] && ln -sfn "$path" "$stage/engines/$name"
  done < <("$src/scripts/find-engines.sh" --links)
  while IFS= read -r entry; do
    [ -n "$entry" ] && engine_entries+=("$entry")
  done < <("$src/scripts/find-engines.sh")
fi

# The opening book the engines take their first moves from at the lower
# levels: Debian's gnuchess-book where it is installed.
for book in /usr/share/games/gnuchess/book.bin; do
  [ -f "$book" ] && install -m 644 "$book" "$stage/book.bin"
done

font_entries=("TTF|DejaVu Chess|Inkmate Chess|fonts/inkmate-chess.ttf"
              "BMP|DejaVu Pieces|-|fonts/inkmate-pieces-75.png")

# The configuration: the catalogue keys are written anew, the user's other
# settings in an existing file are kept.
cfg="$stage/inkmate.cfg"
kept=""
if [ -f "$cfg" ]; then
  kept=$(grep -v -E '^\[General\]|^(engine_[0-9]+|board\.font_[0-9]+|lang_[0-9]+)=' "$cfg" || true)
fi
{
  echo "[General]"
  i=0
  for e in "${engine_entries[@]}"; do printf 'engine_%02d=%s\n' "$i" "$e"; i=$((i + 1)); done
  i=0
  for e in "${font_entries[@]}"; do printf 'board.font_%02d=%s\n' "$i" "$e"; i=$((i + 1)); done
  echo "lang_1=de:Deutsch"
  echo "lang_2=ru:Русский"
  if [ -n "$kept" ]; then
    echo "$kept"
  else
    echo "header=1"
    echo "board.annotation=1"
  fi
} > "$cfg.new"
mv "$cfg.new" "$cfg"

# Data: the sample games and puzzles as game bases. A puzzle CSV file gets
# the base's name; a PGN file of the same name is staged as NAME-classic.cdb.
if [ -d "$src/assets/chess" ]; then
  for csv in "$src"/assets/chess/*.csv; do
    [ -e "$csv" ] || continue
    base="$stage/chess/$(basename "${csv%.csv}").cdb"
    if [ ! -f "$base" ] || [ "$csv" -nt "$base" ]; then
      ${INKMATE_EMULATOR:-} "$stage/inkmate-tool" puzzles "$csv" "$base" >/dev/null ||
        echo "warning: could not import $csv" >&2
    fi
  done
  for pgn in "$src"/assets/chess/*.pgn; do
    [ -e "$pgn" ] || continue
    name=$(basename "${pgn%.pgn}")
    [ -e "${pgn%.pgn}.csv" ] && name="$name-classic"
    base="$stage/chess/$name.cdb"
    if [ ! -f "$base" ] || [ "$pgn" -nt "$base" ]; then
      cp "$pgn" "$stage/chess/"
      ${INKMATE_EMULATOR:-} "$stage/inkmate-tool" import "$stage/chess/$(basename "$pgn")" "$base" >/dev/null ||
        echo "warning: could not import $pgn" >&2
    fi
  done
fi

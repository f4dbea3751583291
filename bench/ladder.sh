#!/bin/bash
# The level ladder measured with Stockfish: each level plays the level below
# it, and the lowest level plays Stockfish at its lowest UCI_Elo. Prints one
# Markdown row per level: what the program sends, the score against the level
# below and the median answer time.
#   bench/ladder.sh [BUILD] [GAMES] [TOP_GAMES] [MAX_PLIES] [FROM] [TO]
# GAMES per pair (10), TOP_GAMES for pairs of the slow top levels 12 to 15 (4);
# FROM and TO (1 to 15) measure a part of the ladder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../BUILD}
games=${2:-10}
top_games=${3:-4}
max_plies=${4:-200}
from=${5:-1}
to=${6:-15}
tool=$build/bin/inkmate-tool
stockfish=$(command -v stockfish || echo /usr/games/stockfish)
[ -x "$tool" ] || { echo "no $tool: build inkmate-tool first" >&2; exit 2; }
[ -x "$stockfish" ] || { echo "stockfish is not installed" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
ln -s "$stockfish" "$dir/stockfish"
ln -s "$here/stockfish-lowest-elo.sh" "$dir/lowest-elo"
printf '[General]\nengine_00=HUM|Human|-\nengine_01=UCI|Stockfish|stockfish\nengine_02=UCI|Stockfish 1350|lowest-elo\n' \
    >"$dir/engines.ini"

# What the program sends at level L: the setoption and go lines, shortened.
sends() {
    "$tool" engine --config "$dir/engines.ini" --engine 1 --level "$1" --log "$dir/log" >/dev/null
    grep -E 'ENGINE << (setoption|go)' "$dir/log" | sed -e 's/.*ENGINE << //' \
        -e 's/setoption name \(.*\) value /\1 /' | paste -sd ';' | sed 's/;/; /g'
    rm -f "$dir/log"
}

# Runs a match; prints "SCORE MEDIAN_MS" for the --white entry.
match() {
    local out
    out=$("$tool" match --config "$dir/engines.ini" --white "$1" --black "$2" --games "$3" \
        --max-plies "$max_plies")
    echo "$out" >&2
    local score median
    score=$(echo "$out" | sed -n 's/.*: \(+[0-9]* =[0-9]* -[0-9]*\), score \([0-9.]*\) %.*/\1 (\2 %)/p')
    median=$(echo "$out" | sed -n "s/^median answer time: [^ ]* [^,]* \([0-9]*\) ms,.*/\1/p")
    echo "$score|$median"
}

echo "| level | sends | score against the level below | median answer |"
echo "|---|---|---|---|"
if [ "$from" -le 1 ]; then
    r=$(match 1:0 2 "$games")
    echo "| 1 | $(sends 0) | ${r%|*} against lowest UCI_Elo | ${r#*|} ms |"
fi
for level in $(seq "$((from > 2 ? from - 1 : 1))" "$((to - 1))"); do
    n=$games
    [ "$level" -ge 11 ] && n=$top_games
    r=$(match "1:$level" "1:$((level - 1))" "$n")
    echo "| $((level + 1)) | $(sends "$level") | ${r%|*} | ${r#*|} ms |"
done

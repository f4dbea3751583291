#!/bin/bash
# The time of inkmate-tool review on a 40-move master game (80 plies) with
# Stockfish at the default setting (or the options given after BUILD).
#   bench/review.sh [BUILD] [REVIEW OPTIONS...]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../BUILD}
shift || true
tool=$build/bin/inkmate-tool
stockfish=$(command -v stockfish || echo /usr/games/stockfish)
[ -x "$tool" ] || { echo "no $tool: build inkmate-tool first" >&2; exit 2; }
[ -x "$stockfish" ] || { echo "stockfish is not installed" >&2; exit 2; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
ln -s "$stockfish" "$dir/stockfish"
printf '[General]\nengine_00=HUM|Human|-\nengine_01=UCI|Stockfish|stockfish\n' >"$dir/engines.ini"
# A 40-move master game (a Sicilian of 1985).
cat >"$dir/game.pgn" <<'PGN'
[Event "World Championship"]
[White "Karpov, Anatoly"]
[Black "Kasparov, Garry"]
[Result "0-1"]

1. e4 c5 2. Nf3 e6 3. d4 cxd4 4. Nxd4 Nc6 5. Nb5 d6 6. c4 Nf6 7. N1c3 a6 8. Na3
d5 9. cxd5 exd5 10. exd5 Nb4 11. Be2 Bc5 12. O-O O-O 13. Bf3 Bf5 14. Bg5 Re8 15.
Qd2 b5 16. Rad1 Nd3 17. Nab1 h6 18. Bh4 b4 19. Na4 Bd6 20. Bg3 Rc8 21. b3 g5 22.
Bxd6 Qxd6 23. g3 Nd7 24. Bg2 Qf6 25. a3 a5 26. axb4 axb4 27. Qa2 Bg6 28. d6 g4
29. Qd2 Kg7 30. f3 Qxd6 31. fxg4 Qd4+ 32. Kh1 Nf6 33. Rf4 Ne4 34. Qxd3 Nf2+ 35.
Rxf2 Bxd3 36. Rfd2 Qe3 37. Rxd3 Rc1 38. Nb2 Qf2 39. Nd2 Rxd1+ 40. Nxd1 Re1+ 0-1
PGN
start=$(date +%s%N)
"$tool" review "$dir/game.pgn" "$dir/out.pgn" --config "$dir/engines.ini" "$@" 2>/dev/null
end=$(date +%s%N)
marks=$(grep -o '\$[246]' "$dir/out.pgn" | sort | uniq -c | tr -s ' \n' ' ')
awk -v ns=$((end - start)) -v marks="$marks" 'BEGIN { printf "review of 80 plies: %.1f s (marks:%s)\n", ns / 1e9, marks }'

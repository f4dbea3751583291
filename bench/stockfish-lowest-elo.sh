#!/bin/sh
# Stockfish at its lowest UCI_Elo and nothing else, whatever level it is asked
# at: the request's options are dropped and its limits replaced by a time per
# move (the strength is chosen at a low depth; more time changes little).
program=$(command -v stockfish || echo /usr/games/stockfish)
{
    printf 'setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 1350\n'
    sed -u -e '/^setoption/d' -e 's/^go .*/go movetime 500/'
} | exec "$program"

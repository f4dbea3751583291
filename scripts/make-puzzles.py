#!/usr/bin/env python3
"""Builds mate-in-one to mate-in-three puzzles from master games that end in
checkmate, keeping only positions where every move of the solver is the one
and only move that keeps the fastest mate (checked with stockfish).

Usage: make-puzzles.py MATES_SAN_WITH_FEN.pgn MATES_LALG.pgn COUNT_PER_DEPTH > puzzles.pgn
The two inputs are pgn-extract -M output of the same games, with
--fencomments -Wsan and with -Wlalg."""
import re
import sys

from stockfish_uci import Stockfish

START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"


def games(path):
    text = open(path, encoding="latin-1").read()
    for chunk in re.split(r"\n(?=\[Event )", text):
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', chunk, re.M))
        body = chunk.split("\n\n", 1)[1] if "\n\n" in chunk else ""
        yield tags, body


def san_moves(body):
    moves, fens = [], []
    for m in re.finditer(r"(\d+\.(?:\.\.)?\s*)?([^\s{}]+)\s*\{\s*([^}]*)\}", body):
        moves.append(m.group(2))
        fens.append(" ".join(m.group(3).split()))
    return moves, fens


def lalg_moves(body):
    body = re.sub(r"\{[^}]*\}", " ", body)
    return [t.rstrip("+#").lower() for t in body.split()
            if not re.match(r"^(\d+\.+|1-0|0-1|1/2-1/2|\*)$", t)]


class Engine(Stockfish):
    def __init__(self):
        super().__init__({"MultiPV": 2})

    def analyse(self, fen, depth):
        """Mate distance of the best and second-best move (None: no mate)."""
        self.send("position fen " + fen)
        self.send("go depth %d" % depth)
        lines = self.wait("bestmove")
        best = {}
        for line in lines:
            m = re.search(r"multipv (\d+) score (mate|cp) (-?\d+).* pv (\S+)", line)
            if m and " depth %d " % depth in line + " ":
                best[int(m.group(1))] = (m.group(2), int(m.group(3)), m.group(4))
        bestmove = lines[-1].split()[1]
        return best, bestmove


def main():
    fen_games = list(games(sys.argv[1]))
    lalg_games = list(games(sys.argv[2]))
    per_depth = int(sys.argv[3])
    engine = Engine()
    found = {1: [], 2: [], 3: []}
    for (tags, body), (_, lbody) in zip(fen_games, lalg_games):
        moves, fens = san_moves(body)
        uci = lalg_moves(lbody)
        if not moves or len(moves) != len(uci) or not moves[-1].endswith("#"):
            continue
        for n in (3, 2, 1):
            if len(found[n]) >= per_depth:
                continue
            first = len(moves) - (2 * n - 1)
            if first < 1:
                continue
            ok = True
            for k in range(n):
                ply = first + 2 * k
                fen = fens[ply - 1]
                lines, bestmove = engine.analyse(fen, 14)
                want = n - k
                one = lines.get(1)
                two = lines.get(2)
                if not one or one[0] != "mate" or one[1] != want or bestmove != uci[ply][:4] + uci[ply][4:].lower():
                    ok = False
                    break
                if two and two[0] == "mate" and 0 < two[1] <= want:
                    ok = False
                    break
            if ok:
                found[n].append((tags, fens[first - 1], moves[first:], first))
                break
        if all(len(v) >= per_depth for v in found.values()):
            break
    engine.send("quit")
    number = 0
    for n in (1, 2, 3):
        for tags, fen, line, first in found[n]:
            number += 1
            side_white = fen.split()[1] == "w"
            move_no = int(fen.split()[5])
            parts = []
            for i, san in enumerate(line):
                white_moves = (i % 2 == 0) == side_white
                if white_moves:
                    parts.append("%d. %s" % (move_no, san))
                else:
                    if i == 0:
                        parts.append("%d... %s" % (move_no, san))
                    else:
                        parts.append(san)
                    move_no += 1
            print('[Event "Mate in %d"]' % n)
            print('[Site "%s"]' % tags.get("Site", "?"))
            print('[Date "%s"]' % tags.get("Date", "????.??.??"))
            print('[Round "%d"]' % number)
            print('[White "%s"]' % tags.get("White", "?"))
            print('[Black "%s"]' % tags.get("Black", "?"))
            print('[Result "%s"]' % tags.get("Result", "*"))
            print('[SetUp "1"]')
            print('[FEN "%s"]' % fen)
            print('[Flags "2"]')
            print()
            print("{%s to move and mate in %d.} %s %s" % (
                "White" if side_white else "Black", n, " ".join(parts), tags.get("Result", "*")))
            print()


if __name__ == "__main__":
    main()

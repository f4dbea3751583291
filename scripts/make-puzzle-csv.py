#!/usr/bin/env python3
"""Builds puzzles in the public puzzle CSV format from real games: a position
of a game, the move the game went on with (the opponent's move that sets the
puzzle), and the solver's line from stockfish, kept only where every move of
the solver is the one clearly best move (mates: the only fastest mate;
others: a lead of at least 2.5 pawns over the second-best move).

Usage: make-puzzle-csv.py GAMES.pgn COUNT > assets/chess/puzzles.csv

The rating is an estimate from the kind and length of the line, the search
depth stockfish needs to settle on the solution, whether the first move is
quiet and how narrow its lead is; RatingDeviation is 500, Popularity and NbPlays 0 (nobody has
played these). Needs pgn-extract and stockfish (Debian packages)."""
import hashlib
import re
import subprocess
import sys

from stockfish_uci import Stockfish

HEADER = "PuzzleId,FEN,Moves,Rating,RatingDeviation,Popularity,NbPlays,Themes,GameUrl,OpeningTags"
START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"
PGN_EXTRACT = "/usr/games/pgn-extract"


def games(path):
    """(tags, [(uci, fen after)]) of each game, through pgn-extract."""
    text = subprocess.run([PGN_EXTRACT, "-s", "-C", "-N", "-V", "-Wuci", "--fencomments", path],
                          capture_output=True, text=True, encoding="latin-1").stdout
    for chunk in re.split(r"\n(?=\[Event )", text):
        tags = dict(re.findall(r'^\[(\w+) "(.*)"\]$', chunk, re.M))
        body = chunk.split("\n\n", 1)[1] if "\n\n" in chunk else ""
        moves = re.findall(r"([a-h][1-8][a-h][1-8][qrbnQRBN]?)\s*\{\s*([^}]*)\}", body)
        if "FEN" not in tags and moves:
            yield tags, [(m.lower(), " ".join(f.split())) for m, f in moves]


class Engine(Stockfish):
    def __init__(self):
        super().__init__({"MultiPV": 2, "Hash": 32})

    def analyse(self, fen, depth):
        """{multipv: (kind, value, pv)} at the final depth, and the depth from
        which the best first move no longer changed."""
        self.send("position fen " + fen)
        self.send("go depth %d" % depth)
        lines = self.wait("bestmove")
        final, settled, last = {}, depth, None
        for line in lines:
            m = re.search(r"\bdepth (\d+) .*multipv (\d+) score (mate|cp) (-?\d+).* pv (.*)", line)
            if not m:
                continue
            d, k = int(m.group(1)), int(m.group(2))
            if k == 1:
                first = m.group(5).split()[0]
                if first != last:
                    settled, last = d, first
            if d == depth:
                final[k] = (m.group(3), int(m.group(4)), m.group(5).split())
        return final, settled

    def fen_after(self, fen, moves):
        self.send("position fen %s moves %s" % (fen, " ".join(moves)))
        self.send("d")
        for line in self.wait("Checkers"):
            if line.startswith("Fen: "):
                return line[5:]
        raise RuntimeError("no FEN from stockfish")


def clearly_best(lines, mate_in=None, lead=250):
    one, two = lines.get(1), lines.get(2)
    if not one:
        return False
    if mate_in is not None:
        return (one[0] == "mate" and one[1] == mate_in and
                not (two and two[0] == "mate" and 0 < two[1] <= mate_in))
    if one[0] == "mate":
        return False
    second = two[1] if two and two[0] == "cp" else (-100000 if two and two[1] < 0 else 100000)
    return one[1] >= lead and one[1] - second >= lead


def is_capture(fen, move):
    """Whether the move takes a piece (en passant aside) in the position."""
    rows = fen.split()[0].split("/")
    rank = rows[8 - int(move[3])]
    squares = "".join("." * int(c) if c.isdigit() else c for c in rank)
    return squares[ord(move[2]) - ord("a")] != "."


def rating(base, settled, fen, move, gap):
    """An estimate: deeper searches, quiet first moves and narrow leads are harder."""
    quiet = 0 if is_capture(fen, move) else 150
    return base + 60 * min(settled - 1, 8) + quiet + (500 - min(gap, 500)) // 4


def phase(fen):
    pieces = sum(1 for c in fen.split()[0] if c in "qrbnQRBN")
    return "endgame" if pieces <= 6 else "middlegame" if pieces <= 12 else "opening"


def puzzle_at(engine, before, opponent, after):
    """The solver's line after the opponent's move, or None."""
    # A shallow search first: most positions hold no puzzle.
    lines, _ = engine.analyse(after, 8)
    one = lines.get(1)
    if not one or not (one[0] == "mate" and 1 <= one[1] <= 3 or clearly_best(lines, None, 200)):
        return None
    lines, settled = engine.analyse(after, 12)
    one = lines.get(1)
    if not one:
        return None
    if one[0] == "mate" and 1 <= one[1] <= 3:
        n = one[1]
        line = one[2][:2 * n - 1]
        if len(line) != 2 * n - 1 or not clearly_best(lines, n):
            return None
        # Every later move of the solver must be the only fastest mate too.
        for k in range(1, n):
            fen = engine.fen_after(after, line[:2 * k])
            more, _ = engine.analyse(fen, 12)
            if not clearly_best(more, n - k) or more[1][2][0] != line[2 * k]:
                return None
        themes = "mate mateIn%d %s %s" % (n, ["oneMove", "short", "long"][n - 1], phase(after))
        return line, themes, rating(500 + 300 * n, settled, after, line[0], 500)
    if not clearly_best(lines):
        return None
    line = one[2][:1]
    if len(one[2]) >= 3:
        fen = engine.fen_after(after, one[2][:2])
        more, _ = engine.analyse(fen, 12)
        if clearly_best(more) and more[1][2][0] == one[2][2]:
            line = one[2][:3]
    # Taking back on the square the opponent just moved to is no puzzle.
    if len(line) == 1 and line[0][2:4] == opponent[2:4]:
        return None
    gain = "crushing" if one[1] >= 500 else "advantage"
    themes = "%s %s %s" % (gain, "oneMove" if len(line) == 1 else "short", phase(after))
    two = lines.get(2)
    gap = one[1] - two[1] if two and two[0] == "cp" else 500
    return line, themes, rating(900 + 200 * (len(line) // 2), settled, after, line[0], gap)


def main():
    path, count = sys.argv[1], int(sys.argv[2])
    engine = Engine()
    quota = {"mateIn1": count // 4, "mateIn2": count // 4, "mateIn3": count // 4}
    quota["other"] = count - sum(quota.values())
    print(HEADER)
    found = 0
    for tags, moves in games(path):
        site = tags.get("Site", "")
        if not site.startswith("https://lichess.org/") or len(moves) < 24:
            continue
        # One puzzle a game, from the middle of the game on.
        for ply in range(16, len(moves) - 1, 2 if len(moves) > 60 else 1):
            before = moves[ply - 1][1]
            opponent, after = moves[ply]
            # The game's own move must lead from one position to the next.
            if engine.fen_after(before, [opponent]).split()[:3] != after.split()[:3]:
                continue
            result = puzzle_at(engine, before, opponent, after)
            if not result:
                continue
            line, themes, rating = result
            kind = themes.split()[1] if themes.startswith("mate ") else "other"
            if quota[kind] == 0:
                continue
            quota[kind] -= 1
            found += 1
            ident = hashlib.sha1(("%s#%d" % (site, ply)).encode()).hexdigest()[:5]
            solver_black = after.split()[1] == "b"
            url = "%s%s#%d" % (site, "/black" if solver_black else "", ply + 1)
            print(",".join([ident, before, " ".join([opponent] + line), str(rating), "500", "0",
                            "0", themes, url, ""]), flush=True)
            break
        if found >= count:
            break
    engine.send("quit")


if __name__ == "__main__":
    main()

"""Stockfish over UCI for the puzzle scripts: start it with some options,
send lines, read up to a reply."""
import subprocess

STOCKFISH = "/usr/games/stockfish"


class Stockfish:
    def __init__(self, options):
        self.p = subprocess.Popen([STOCKFISH], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True, bufsize=1)
        self.send("uci")
        self.wait("uciok")
        for name, value in options.items():
            self.send("setoption name %s value %s" % (name, value))
        self.send("isready")
        self.wait("readyok")

    def send(self, line):
        self.p.stdin.write(line + "\n")

    def wait(self, token):
        """The lines read up to and with the one starting with token."""
        lines = []
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("stockfish stopped")
            lines.append(line.strip())
            if line.startswith(token):
                return lines

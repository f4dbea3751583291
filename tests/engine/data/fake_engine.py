#!/usr/bin/python3
"""A scripted chess engine for the protocol tests.

Speaks UCI or XBoard as far as the drivers use them, and misbehaves on
request. Every line received is appended to the --log file, so a test can
check the exact order of the commands it was sent. In the "raw" protocol
the test itself says what to write:
  emit HEX            write the bytes
  split HEX HEX       write the first bytes, pause, write the second
  repeat HEX N        write the bytes N times
  flood N             write N megabytes of "x", a megabyte at a time
  exit CODE           exit at once with that status
  crash               die by SIGSEGV
"""

import argparse
import os
import select
import signal
import sys
import time

out = sys.stdout.buffer


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--protocol", choices=["uci", "xboard", "raw"], default="uci")
    p.add_argument("--log")
    p.add_argument("--answer", default="e7e5")
    p.add_argument("--prefix", default=None,
                   help="text before the move, '_' standing for a blank")
    p.add_argument("--crlf", action="store_true")
    p.add_argument("--split", action="store_true", help="each line in two writes")
    p.add_argument("--together", action="store_true", help="a reply in one write")
    p.add_argument("--info", action="store_true", help="information lines first")
    p.add_argument("--script", help="a file whose Nth line answers the search of the position "
                                    "after N plies (from the FEN's counters): a score ('cp 51', "
                                    "'mate -2') and the line of moves, the first one the answer")
    p.add_argument("--garbage", action="store_true", help="junk before the answer")
    p.add_argument("--ignore-quit", action="store_true")
    p.add_argument("--die-on-go", action="store_true")
    p.add_argument("--crash-on-go", action="store_true")
    p.add_argument("--silent", action="store_true", help="never answer the greeting")
    p.add_argument("--features", type=int, default=2, help="number of feature lines")
    p.add_argument("--option", action="append", default=[],
                   help="an option the UCI greeting announces, e.g. 'Skill+Level:spin:20:0:20' "
                        "(name, type, default, min, max; '+' standing for a blank)")
    p.add_argument("--trailer", help="a line after the answer, '_' standing for a blank")
    p.add_argument("--answer-line", help="the whole answer line, '_' standing for a blank")
    p.add_argument("--hang-on-go", action="store_true", help="never answer a search")
    p.add_argument("--search-seconds", type=float, default=0,
                   help="search that long; only stop or ? end it early, quit waits for it")
    p.add_argument("--deaf", action="store_true", help="while searching, stop and ? are ignored")
    p.add_argument("--busy", action="store_true", help="while searching, nothing is read")
    p.add_argument("--pidfile", help="write the process id there")
    p.add_argument("--reply", action="append", default=[],
                   help="WORD=TEXT: answer a line starting with WORD (MOVE: a bare move) "
                        "with TEXT, '_' standing for a blank and '{}' for the line")
    return p.parse_args()


args = parse_args()
if args.prefix is not None:
    args.prefix = args.prefix.replace("_", " ")
eol = b"\r\n" if args.crlf else b"\n"
log = open(args.log, "a", buffering=1) if args.log else None


def send(*lines):
    data = [line.encode() + eol for line in lines]
    if args.together:
        data = [b"".join(data)]
    for chunk in data:
        if args.split and len(chunk) > 2:
            half = len(chunk) // 2
            out.write(chunk[:half])
            out.flush()
            time.sleep(0.05)
            chunk = chunk[half:]
        out.write(chunk)
        out.flush()


def junk():
    out.write(b"\x00\x01\xff\xfe binary \x80\x81" + eol)
    out.write(b"bestmove" + eol + b"move" + eol)
    out.write(b"x" * 200000 + b" bestmove a1a1" + eol)
    out.flush()


def think():
    """Reads commands while searching: stop or ? ends the search; a quit is kept for later."""
    if args.busy:
        time.sleep(args.search_seconds)
        return False
    deadline = time.time() + args.search_seconds
    quit_seen = False
    while time.time() < deadline:
        ready, _, _ = select.select([sys.stdin], [], [], deadline - time.time())
        if not ready:
            break
        data = sys.stdin.buffer.readline()
        if not data:
            break
        line = data.decode("utf-8", "replace").strip()
        if log:
            log.write(line + "\n")
        if line == "quit":
            quit_seen = True
        elif line in ("stop", "?") and not args.deaf:
            break
    return quit_seen


position = ""


def ply_of(line):
    """Plies from the start to the position of a "position fen ... [moves ...]" line."""
    words = line.split()
    if "fen" not in words:
        return len(words) - 3 if "moves" in words else 0
    fen = words[words.index("fen") + 1:words.index("fen") + 7]
    ply = 2 * (int(fen[5]) - 1) + (fen[1] == "b")
    return ply + (len(words) - words.index("moves") - 1 if "moves" in words else 0)


def scripted():
    """The info line and answer of the position asked, from the script."""
    with open(args.script) as f:
        rows = [row.split() for row in f if row.strip()]
    kind, score, *line = rows[min(ply_of(position), len(rows) - 1)]
    return ["info depth 12 score %s %s pv %s" % (kind, score, " ".join(line)),
            "bestmove " + line[0]]


def search(move_line):
    if args.script:
        quit_seen = think() if args.search_seconds > 0 else False
        send(*scripted())
        return quit_seen
    if args.hang_on_go:
        return False
    quit_seen = think() if args.search_seconds > 0 else False
    if args.crash_on_go:
        os.kill(os.getpid(), signal.SIGSEGV)
    if args.die_on_go:
        sys.exit(3)
    if args.garbage:
        junk()
    lines = []
    if args.info:
        lines += ["info depth 1 score cp 20 pv " + args.answer,
                  "info string bestmove a2a4 is not it"]
    lines.append(args.answer_line.replace("_", " ") if args.answer_line else move_line)
    if args.trailer:
        lines.append(args.trailer.replace("_", " "))
    send(*lines)
    return quit_seen


def uci(line):
    words = line.split()
    if not words:
        return
    if words[0] == "uci":
        options = ["option name Hash type spin default 1 min 1 max 8"]
        for entry in args.option:
            name, kind, default, *bounds = entry.replace("+", " ").split(":")
            line = "option name %s type %s default %s" % (name, kind, default)
            if bounds:
                line += " min %s max %s" % tuple(bounds)
            options.append(line)
        send("id name Fake", "id author nobody", *options, "uciok")
    elif words[0] == "isready":
        send("readyok")
    elif words[0] == "position":
        global position
        position = line
    elif words[0] == "go":
        prefix = args.prefix if args.prefix is not None else "bestmove "
        return search(prefix + args.answer + " ponder e2e4")


def xboard(line):
    words = line.split()
    if not words:
        return
    if words[0] == "protover":
        features = ['feature myname="Fake" setboard=1 usermove=0 san=0',
                    "feature sigint=0 sigterm=0", "feature done=1"]
        if args.features > 0:
            send(*features[:args.features - 1], features[-1])
    elif words[0] == "go":
        prefix = args.prefix if args.prefix is not None else "move "
        return search(prefix + args.answer)


def raw(line):
    words = line.split()
    if not words:
        return
    if words[0] == "emit":
        out.write(bytes.fromhex("".join(words[1:])))
        out.flush()
    elif words[0] == "split":
        out.write(bytes.fromhex(words[1]))
        out.flush()
        time.sleep(0.1)
        out.write(bytes.fromhex(words[2]))
        out.flush()
    elif words[0] == "repeat":
        out.write(bytes.fromhex(words[1]) * int(words[2]))
        out.flush()
    elif words[0] == "flood":
        block = b"x" * (1 << 20)
        for _ in range(int(words[1])):
            out.write(block)
        out.flush()
    elif words[0] == "exit":
        sys.exit(int(words[1]))
    elif words[0] == "crash":
        os.kill(os.getpid(), signal.SIGSEGV)


def reply(line):
    words = line.split()
    if not words:
        return
    first = words[0]
    if len(first) in (4, 5) and first[0] in "abcdefgh" and first[1] in "12345678":
        first = "MOVE"
    for rule in args.reply:
        word, _, text = rule.partition("=")
        if word == first:
            send(text.replace("_", " ").replace("{}", line))


def main():
    handler = {"uci": uci, "xboard": xboard, "raw": raw}[args.protocol]
    stdin = sys.stdin.buffer
    while True:
        data = stdin.readline()
        if not data:
            break
        line = data.decode("utf-8", "replace").rstrip("\r\n")
        if log:
            log.write(line + "\n")
        if line == "quit":
            if args.ignore_quit:
                continue
            return
        if not args.silent:
            reply(line)
            if handler(line):
                return
    if args.ignore_quit:
        # Stubborn to the end: only a kill stops it (tests wait 5 s at most).
        time.sleep(60)


if __name__ == "__main__":
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    if args.pidfile:
        with open(args.pidfile, "w") as f:
            f.write(str(os.getpid()))
    main()

#!/usr/bin/env python3
"""Nothing is ever written to standard error.

Runs one varied session through the real program, beside its book: every
command of both command sets, bad input of every kind, position files, the
edit language, a short game with book and searched moves, a mate, and at the
end a switch to the other protocol. Standard error must stay empty and the
exit code must be 0; a few answers are checked to make sure the session
really went through every part.

Usage: stderr_test.py ENGINE
"""
import os
import shutil
import subprocess
import sys
import tempfile

from engine_command import engine_command, engine_stderr

HERE = os.path.dirname(os.path.abspath(__file__))
BOOK = os.path.join(HERE, "..", "..", "TORLO.opn")

POSITIONS = (b"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\r\n"
             b"\n"
             b"7k/5Q2/6K1/8/8/8/8/8 b - -\n")

SESSION = b"""help
protover 2
accepted setboard
rejected usermove
random
computer
name opponent
level 40 5 0
otim 6000
time 6000
st 1
sd 3
post
board
board
list
llist
e2e4
hint
nopost
undo
remove
white
black
playother
force
go
force
perft 2
new
sd 2
st 1
e2e4
d2d4
g1f3
force
undo
remove
e2e5
e9e4
O-O
xyzzy
st abc
sd -99999999999
time 99999999999999
""" + b"x" * 600 + b"""
e2\x00e4
xyzzy\r
setboard
setboard junk
setboard 8/8/8/8/8/8/8/8 w KQkq e3
llist
setboard r3k2r/8/8/8/8/8/8/R3K2R w KQkq -
llist
e1g1
loadpos positions.epd 1
llist
loadpos positions.epd 2
loadpos positions.epd 3
loadpos positions.epd 9
loadpos missing.epd
edit
#
Ke1
Ra1
c
Ke8
Qz9
.
llist
new
sd 2
force
f2f3
e7e5
g2g4
d8h4
go
new
sd 1
nopost
go
force
bench
xboard
new
sd 2
e2e4
force
uci
isready
position startpos moves e2e4
go depth 2
quit
"""


def main():
    engine = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as workdir:
        shutil.copy(BOOK, os.path.join(workdir, "TORLO.opn"))
        with open(os.path.join(workdir, "positions.epd"), "wb") as f:
            f.write(POSITIONS)
        proc = subprocess.run(engine_command(engine), input=SESSION, cwd=workdir, capture_output=True, timeout=300)
    out = proc.stdout.decode("latin-1")
    problems = []
    stderr = engine_stderr(proc.stderr)
    if stderr:
        problems.append("standard error not empty: %r" % stderr[:400])
    if proc.returncode != 0:
        problems.append("exit code %d" % proc.returncode)
    # The session went through: book, help, features, hint, listings, a
    # result, the benchmark and the bad-input answers all appear.
    for expected in ("Book size:", "<hit a key>", "feature setboard=1", "Hint: ", "Legal Moves", "Pseudo Moves",
                     "Nodes searched:", "0-1 {Black mates}", "Illegal move: e2e5",
                     "Error (unknown command): xyzzy", "Error (missing FEN): setboard",
                     "Error (position not found): loadpos", "Unable to open file!"):
        if expected not in out:
            problems.append("the answer %r is missing" % expected)
    if problems:
        print("FAIL: " + "; ".join(problems))
        return 1
    print("ok: %d lines of output, standard error empty, exit code 0" % out.count("\n"))
    return 0


if __name__ == "__main__":
    sys.exit(main())

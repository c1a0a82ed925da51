#!/usr/bin/env python3
"""A build for another system prints what the Linux build prints: the same
sessions through ENGINE (behind TORLO_TEST_WRAPPER, e.g. the Windows build
under Wine) and REFERENCE (the Linux build), outputs compared byte for byte
with the clock columns masked as run_case.py does: `perft 5` from the start
position and from Kiwipete, the UCI handshake with searches to depth 6
(start-up lines and `bench` are in the transcripts, which CI runs for that
build too). The node counts are checked against the known values too, so two
builds that went wrong alike do not pass. Not in ctest (it needs two
builds): CI runs it for the Windows build.

Usage: port_check.py ENGINE REFERENCE
"""
import os
import re
import subprocess
import sys
import tempfile

from engine_command import ENGINE_NAME, engine_command, engine_stderr
from run_case import mask


def same_threads(text):
    """The Threads option's maximum is the build's own (1 where it searches with one thread)."""
    return re.sub(r"(option name Threads type spin default 1 min 1 max )\d+", r"\1N", text)


KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"

# name, input, lines that must be in the output
SESSIONS = [
    ("perft 5", ("perft 5\nsetboard %s\nperft 5\nquit\n" % KIWIPETE).encode(),
     ["Nodes searched: 4865609", "Nodes searched: 193690690"]),
    # The input ends after the last go: a search to a fixed depth finishes
    # and then the program ends (a quit would stop the search).
    ("uci and go depth 6",
     b"uci\nisready\nsetoption name OwnBook value false\nucinewgame\nposition startpos\ngo depth 6\n"
     b"position startpos moves e2e4 e7e5 g1f3 b8c6\ngo depth 6\n",
     ["id name " + ENGINE_NAME, "uciok", "readyok"]),
]


def run(command, data):
    with tempfile.TemporaryDirectory() as workdir:
        proc = subprocess.run(command, input=data, cwd=workdir, capture_output=True, timeout=300)
    return proc, same_threads(mask(proc.stdout.decode("latin-1")))


def main():
    engine, reference = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failures = 0
    for name, data, required in SESSIONS:
        (proc, out), (ref, expected) = run(engine_command(engine), data), run([reference], data)
        lines = out.split("\n")
        problems = ["exit code %d" % proc.returncode] if proc.returncode else []
        if engine_stderr(proc.stderr):
            problems.append("standard error: %r" % engine_stderr(proc.stderr)[:200])
        if ref.returncode or ref.stderr:
            problems.append("the reference failed: exit code %d, standard error %r" % (ref.returncode, ref.stderr[:200]))
        if out != expected:
            diff = [(n + 1, a, b) for n, (a, b) in enumerate(zip(lines, expected.split("\n"))) if a != b]
            problems.append("output differs from the reference's (%d and %d bytes), first at line %r"
                            % (len(out), len(expected), diff[:1] or "(end)"))
        problems += ["no line %r" % line for line in required if line not in lines]
        if name.startswith("uci") and (sum(l.startswith("info depth 6 ") for l in lines) < 2
                                       or sum(l.startswith("bestmove ") for l in lines) != 2):
            problems.append("not two searches to depth 6, each with its bestmove")
        failures += bool(problems)
        print("FAIL %s: %s" % (name, "; ".join(problems)) if problems else "ok %s (%d lines)" % (name, len(lines) - 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""A build for another system prints what the Linux build prints.

Runs the same sessions through ENGINE (behind TORLO_TEST_WRAPPER, e.g. the
Windows build under Wine: see engine_command.py) and through REFERENCE (the
Linux build, run directly), and compares their standard output byte for
byte after masking the columns that depend on the clock, as run_case.py
does. The sessions: the start-up lines, `perft 5` from the start position
and from Kiwipete, `bench`, and the UCI handshake with searches to depth 6.
The node counts are also checked against the known values, so two builds
that went wrong alike do not pass either.

Not part of the ctest suite (it needs two builds): CI runs it for the
Windows build.

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
    """The Threads option's maximum is the build's own (1 where the build
    searches with one thread); everything else must agree."""
    return re.sub(r"(option name Threads type spin default 1 min 1 max )\d+", r"\1N", text)

KIWIPETE = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"

# name, input, lines that must be in the output
SESSIONS = [
    ("start-up", b"quit\n", [ENGINE_NAME, "Hash size: 16383 Kbytes -> 699050 entries"]),
    ("perft 5", ("perft 5\nsetboard %s\nperft 5\nquit\n" % KIWIPETE).encode(),
     ["Nodes searched: 4865609", "Nodes searched: 193690690"]),
    ("bench", b"bench\nquit\n", ["Nodes searched: 3515158"]),
    # The input ends after the last go: a search to a fixed depth finishes
    # and then the program ends (a quit would stop the search).
    ("uci and go depth 6",
     b"uci\nisready\nsetoption name OwnBook value false\nucinewgame\nposition startpos\ngo depth 6\n"
     b"position startpos moves e2e4 e7e5 g1f3 b8c6\ngo depth 6\n",
     ["id name " + ENGINE_NAME, "uciok", "readyok"]),
]


def run(command, data):
    with tempfile.TemporaryDirectory() as workdir:
        return subprocess.run(command, input=data, cwd=workdir, capture_output=True, timeout=300)


def main():
    engine, reference = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failures = 0
    for name, data, required in SESSIONS:
        proc = run(engine_command(engine), data)
        ref = run([reference], data)
        out = same_threads(mask(proc.stdout.decode("latin-1")))
        expected = same_threads(mask(ref.stdout.decode("latin-1")))
        lines = out.split("\n")
        problems = []
        if proc.returncode != 0:
            problems.append("exit code %d" % proc.returncode)
        stderr = engine_stderr(proc.stderr)
        if stderr:
            problems.append("standard error: %r" % stderr[:200])
        if ref.returncode != 0 or ref.stderr:
            problems.append("the reference failed: exit code %d, standard error %r" % (ref.returncode, ref.stderr[:200]))
        if out != expected:
            diff = [(n + 1, a, b) for n, (a, b) in enumerate(zip(lines, expected.split("\n"))) if a != b]
            first = diff[0] if diff else (min(len(lines), expected.count("\n") + 1), "(end)", "(end)")
            problems.append("output differs from the reference's (%d and %d bytes), first at line %d: %r, expected %r"
                            % (len(out), len(expected), *first))
        for line in required:
            if line not in lines:
                problems.append("no line %r" % line)
        if name.startswith("uci"):
            depth6 = [l for l in lines if l.startswith("info depth 6 ")]
            best = [l for l in lines if l.startswith("bestmove ")]
            if len(depth6) < 2 or len(best) != 2:
                problems.append("%d depth-6 lines and %d bestmove lines for two searches" % (len(depth6), len(best)))
        if problems:
            failures += 1
            print("FAIL %s: %s" % (name, "; ".join(problems)))
        else:
            print("ok %s (%d lines, the same as the reference's)" % (name, len(lines) - 1))
    print("%d passed, %d failed" % (len(SESSIONS) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Search threads side by side: for each bench position, the time to finish
the same iteration with 1 and with N threads, and bench nodes/second with 1
and N threads. Runs alternate between the thread counts; the figures are
medians.

    tools/threads_speed.py [--engine build/torlo] [--threads 2] [--runs 5] [--seconds 8] [--bench-runs 15]
                           [--wrapper "/usr/lib/wine/wine64"]

--wrapper starts the engine through another program (Wine for torlo.exe).

`bench` lasts under a second but its speed varies from run to run on a
shared machine by a third or more, so it gets more runs (--bench-runs); both
the ratio of the medians and the median of the per-run ratios are printed.

The iteration compared on a position is the deepest one a single thread
finishes within --seconds (found by a first single-threaded run); each
measured run then searches to exactly that depth (`sd`), so the time is
the time to finish it. A position whose search ends by itself (a forced
mate found) is left out.
"""
import argparse
import re
import statistics
import subprocess
import time

POSITIONS = [
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8",
    "r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 b - - 2 15",
    "4rrk1/pp1n3p/3q2pQ/2p1pb2/2PP4/2P3N1/P2B2PP/4RRK1 b - - 7 19",
    "2r3k1/pp3ppp/2n5/3p4/3P4/2N5/PP3PPP/2R3K1 w - - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "6k1/5ppp/8/8/8/8/r4PPP/1R4K1 w - - 0 1",
    "8/8/1p1k4/p2p4/P2P1K2/1P6/8/8 w - - 0 1",
]
THINKING = re.compile(r"^ +(\d+) +-?\d+ +(\d+) +\d+  ")


def search(engine, threads, fen, depth, seconds):
    """The search's own time (seconds) at its last thinking line, which closes
    the last iteration, and the depths of its lines."""
    text = "cores %d\nsd %d\nst %d\npost\nsetboard %s\ngo\nquit\n" % (threads, depth, seconds, fen)
    t0 = time.time()
    out = subprocess.run(engine, input=text, capture_output=True, text=True, cwd="/tmp").stdout
    wall = time.time() - t0
    lines = [m for m in map(THINKING.match, out.split("\n")) if m]
    return int(lines[-1].group(2)) / 100.0, [int(m.group(1)) for m in lines], wall


def deepest_finished(engine, fen, seconds):
    _, depths, elapsed = search(engine, 1, fen, 99, seconds)
    # Stopped by the clock, the deepest depth is the one it was in; a search
    # that ended by itself (a mate) finished its deepest.
    return max(depths) - 1 if elapsed >= seconds - 0.05 else max(depths), elapsed < seconds - 0.05


def bench_nps(engine, threads):
    out = subprocess.run(engine, input="cores %d\nbench\nquit\n" % threads, capture_output=True, text=True,
                         cwd="/tmp").stdout
    return int(re.search(r"Nodes/second: (\d+)", out).group(1))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--engine", default="build/torlo")
    ap.add_argument("--threads", type=int, default=2)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--seconds", type=int, default=8)
    ap.add_argument("--bench-runs", type=int, default=15)
    ap.add_argument("--wrapper", default="")
    a = ap.parse_args()
    engine = a.wrapper.split() + [subprocess.run(["realpath", a.engine], capture_output=True, text=True).stdout.strip()]
    n = a.threads
    ratios = []
    print("position depth  1 thread  %d threads  ratio" % n)
    for i, fen in enumerate(POSITIONS):
        depth, ends_by_itself = deepest_finished(engine, fen, a.seconds)
        if ends_by_itself:
            # A forced mate: the search ends at the depth that finds it, in
            # a moment, whatever the threads do.
            print("%8d  the search ends by itself (a mate): left out" % (i + 1))
            continue
        one, many = [], []
        for _ in range(a.runs):
            one.append(search(engine, 1, fen, depth, 1000)[0])
            many.append(search(engine, n, fen, depth, 1000)[0])
        if statistics.median(one) == 0:
            # Over within the clock's resolution (a mate in one, when the
            # engine's start-up made the first run look stopped by the clock).
            print("%8d  the search ends at once: left out" % (i + 1))
            continue
        r = statistics.median(many) / statistics.median(one)
        ratios.append(r)
        print("%8d %5d %8.2fs %9.2fs  %5.2f" % (i + 1, depth, statistics.median(one), statistics.median(many), r))
    print("median time ratio, %d threads / 1 thread: %.2f" % (n, statistics.median(ratios)))
    one, many = [], []
    for _ in range(a.bench_runs):
        one.append(bench_nps(engine, 1))
        many.append(bench_nps(engine, n))
    print("bench nodes/second: 1 thread %.2fM, %d threads %.2fM, ratio of the medians %.2f,"
          " median of the per-run ratios %.2f (%d runs each)"
          % (statistics.median(one) / 1e6, n, statistics.median(many) / 1e6,
             statistics.median(many) / statistics.median(one),
             statistics.median([m / o for o, m in zip(one, many)]), a.bench_runs))


if __name__ == "__main__":
    main()

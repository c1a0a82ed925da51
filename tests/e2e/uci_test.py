#!/usr/bin/env python3
"""UCI mode through the real program over pipes: input is read while the
engine searches (isready, stop, quit), `go infinite` waits for stop, and a
timed search keeps to its clock."""
import sys
import time

from pipes_engine import run_tests, uci_engine


def test_stop_ends_infinite_search(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos moves e2e4")
    e.send("go infinite")
    e.expect(lambda l: l.startswith("info depth"), 10)
    e.no_line(lambda l: l.startswith("bestmove"), 1.5)  # no bestmove until stop
    e.send("isready")
    t0 = time.time()
    e.expect(lambda l: l == "readyok", 5)  # answered while searching
    assert time.time() - t0 < 3.0, "isready answered late"
    e.send("stop")
    t0 = time.time()
    e.expect(lambda l: l.startswith("bestmove "), 5)
    assert time.time() - t0 < 3.0, "stop answered late"
    e.send("isready")
    e.expect(lambda l: l == "readyok", 2)
    e.send("quit")
    e.finish()


def test_quit_during_search_exits_at_once(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos")
    e.send("go infinite")
    e.expect(lambda l: l.startswith("info depth"), 10)
    t0 = time.time()
    e.send("quit")
    e.finish(timeout=3)
    assert time.time() - t0 < 4.0


def test_movetime_is_kept(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos")
    t0 = time.time()
    e.send("go movetime 700")
    e.expect(lambda l: l.startswith("bestmove "), 5)
    elapsed = time.time() - t0
    assert 0.6 < elapsed < 4.0, "movetime 700 took %.2f s" % elapsed
    e.send("quit")
    e.finish()


def test_clock_search_keeps_to_its_budget(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos moves e2e4 e7e5")
    t0 = time.time()
    e.send("go wtime 3000 btime 3000 winc 0 binc 0")  # a thirtieth: 100 ms
    e.expect(lambda l: l.startswith("bestmove "), 5)
    assert time.time() - t0 < 4.0
    e.send("go wtime 30 btime 30")  # less than the margin: still a move, at once
    e.expect(lambda l: l.startswith("bestmove ") and l != "bestmove 0000", 5)
    e.send("quit")
    e.finish()


def test_ponderhit_turns_ponder_into_timed_search(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos moves e2e4")
    e.send("go ponder wtime 2000 btime 2000")
    e.expect(lambda l: l.startswith("info depth"), 10)
    e.no_line(lambda l: l.startswith("bestmove"), 1.0)
    t0 = time.time()
    e.send("ponderhit")
    e.expect(lambda l: l.startswith("bestmove "), 5)
    assert time.time() - t0 < 4.0
    e.send("quit")
    e.finish()


def main():
    return run_tests(globals())


if __name__ == "__main__":
    sys.exit(main())

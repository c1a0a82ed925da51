#!/usr/bin/env python3
"""UCI mode over pipes (quit during a search: threads_test.py)."""
import sys

from engine_command import never, run_tests, uci_engine


def test_stop_ends_infinite_search(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos moves e2e4", "go infinite")
    e.expect("info depth", 10)
    never(e.expect, "bestmove", 1.5)
    assert e.timed("isready", lambda l: l == "readyok", 5) < 3.0, "isready answered late"
    assert e.timed("stop", "bestmove ", 5) < 3.0, "stop answered late"
    e.finish()


def test_timed_searches_keep_to_their_clock(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos")
    took = e.timed("go movetime 700", "bestmove ", 5)
    assert 0.6 < took < 4.0, "movetime 700 took %.2f s" % took
    e.send("position startpos moves e2e4 e7e5")
    took = e.timed("go wtime 3000 btime 3000 winc 0 binc 0", "bestmove ", 5)  # a thirtieth: 100 ms
    assert took < 4.0, "3 s on the clock took %.2f s" % took
    e.send("go wtime 30 btime 30")  # less than the margin: still a move, at once
    e.expect(lambda l: l.startswith("bestmove ") and l != "bestmove 0000", 5)
    e.finish()


def test_ponderhit_turns_ponder_into_timed_search(path, cwd):
    e = uci_engine(path, cwd)
    e.send("position startpos moves e2e4", "go ponder wtime 2000 btime 2000")
    e.expect("info depth", 10)
    never(e.expect, "bestmove", 1.0)
    assert e.timed("ponderhit", "bestmove ", 5) < 4.0
    e.finish()


if __name__ == "__main__":
    sys.exit(run_tests(globals()))

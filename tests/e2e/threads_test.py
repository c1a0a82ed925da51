#!/usr/bin/env python3
"""Threads and table size (bad values: transcripts bad_input_lines, perft_and_uci_depth_6)."""
import os
import re
import statistics
import sys
import time

from engine_command import ENGINE_NAME, STARTUP, WRAPPER, run, run_tests, uci_engine


def test_command_line_options(path, cwd):
    assert run(path, cwd, "", ["--version"]) == (0, ENGINE_NAME + "\n")
    code, out = run(path, cwd, "", ["--help"])
    assert code == 0 and out.startswith("Usage: torlo [--threads N] [--hash MB]") and "--version" in out, out
    for args, answer in [(["--bogus"], "Error (unknown option): --bogus"), (["--hash"], "Error (missing number): --hash"),
                         (["--threads", "two"], "Error (missing number): --threads two")]:
        code, out = run(path, cwd, "quit\n", args)
        assert code == 2 and out.startswith(answer) and out.count("\n") == 1, (args, code, out)
    code, out = run(path, cwd, "quit\n", ["--hash", "256", "--threads", "2"])
    assert code == 0 and "Hash size: 262143 Kbytes -> 11184810 entries\n" in out, out
    code, out = run(path, cwd, "quit\n", ["--threads", "0", "--hash", "0"])
    assert out.startswith("Error (out of range): --threads 0; 1 is used\nError (out of range): --hash 0; 1 is used\n"
                          + ENGINE_NAME + "\n") and "Hash size:  1023 Kbytes ->  43690 entries\n" in out, out
    # The defaults are the engine as it always was; no input at all ends it.
    assert run(path, cwd, "", ["--threads", "1", "--hash", "16"]) == (0, STARTUP)


def test_console_cores(path, cwd):
    code, out = run(path, cwd, "cores 2\nst 1\nsd 30\nnopost\nnew\ne2e4\nquit\n")
    assert code == 0 and re.fullmatch(r"1\. \.\.\. \w{4}\n", out[len(STARTUP):]), out  # a move with two threads


def threads_of(e):
    """The process's threads once the move is out; under Wine, where a joined
    thread can stay listed a little, the count that held 0.2 s (2 s at most)."""
    count = len(os.listdir("/proc/%d/task" % e.proc.pid))
    deadline, steady = time.time() + 2, time.time() + 0.2
    while WRAPPER and time.time() < min(deadline, steady):
        time.sleep(0.01)
        now = len(os.listdir("/proc/%d/task" % e.proc.pid))
        if now < count:
            count, steady = now, time.time() + 0.2
    return count


def test_uci_options_and_stop_latency(path, cwd):
    e = uci_engine(path, cwd, "Threads value 3", "Hash value 32")
    latencies, idle = [], []
    for moves in ["e2e4", "d2d4", "g1f3"]:
        e.send("position startpos moves " + moves, "go infinite")
        e.expect("info depth 6", 30)
        searching = len(os.listdir("/proc/%d/task" % e.proc.pid))
        time.sleep(0.3)
        latencies.append(e.timed("stop", "bestmove ", 5))
        e.send("isready")
        e.expect(lambda l: l == "readyok", 5)
        idle.append(threads_of(e))
        # (A sanitizer may run a thread of its own: the difference counts.)
        assert searching - idle[-1] == 2, "two helpers while searching, none after (%d, %d)" % (searching, idle[-1])
    assert len(set(idle)) == 1, idle
    e.finish()
    # The clock is read every 2048 nodes; the margin is for a loaded machine and a sanitizer build.
    assert statistics.median(latencies) < 0.25 and max(latencies) < 1.0, latencies


def test_quit_during_threaded_search(path, cwd):
    # Against quit without a search in the same run: a wrapper such as Wine takes its own time to end a program.
    took = {}
    for searching in (False, True):
        e = uci_engine(path, cwd, "Threads value 2")
        e.send("isready")
        e.expect(lambda l: l == "readyok", 30)
        if searching:
            e.send("position startpos", "go infinite")
            e.expect("info depth 5", 30)
        t0 = time.time()
        e.finish()
        took[searching] = time.time() - t0
    assert took[True] < took[False] + 1.0, "quit took %.2f s while searching, %.2f s idle" % (took[True], took[False])


def test_multipv_with_helper_threads(path, cwd):
    # The main thread reports three lines a depth, best first, with different first moves; bestmove is line 1's.
    e = uci_engine(path, cwd, "Threads value 2", "MultiPV value 3")
    e.send("position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3", "go depth 6")
    lines = []
    while not (line := e.expect(lambda l: l.startswith(("info depth", "bestmove")), 60)).startswith("bestmove"):
        lines.append(line.split())
    last = [l for l in lines if l[2] == "6"][-3:]
    assert [l[4] for l in last] == ["1", "2", "3"], lines[-6:]
    scores = [int(l[7]) for l in last if l[6] == "cp"]
    assert scores == sorted(scores, reverse=True), last
    firsts = [l[l.index("pv") + 1] for l in last]
    assert len(set(firsts)) == 3 and line.split()[1] == firsts[0], (firsts, line)
    e.finish()


if __name__ == "__main__":
    # A build that searches with one thread (its Threads option stops at 1) leaves out the tests that need helpers.
    one_thread = "Threads type spin default 1 min 1 max 1\n" in run(os.path.abspath(sys.argv[1]), ".", "uci\nquit\n")[1]
    sys.exit(run_tests(globals(), {"test_console_cores", "test_uci_options_and_stop_latency"}
                       if one_thread else (), "this build searches with one thread"))

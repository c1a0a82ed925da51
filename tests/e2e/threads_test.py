#!/usr/bin/env python3
"""Threads, table size and their options through the real program: the
command-line options, the console's cores and memory, UCI's Threads and
Hash; stop and quit end every search thread at once, and the helper threads
are gone when the move is out."""
import os
import statistics
import subprocess
import sys
import time

from engine_command import ENGINE_NAME, engine_command, engine_stderr, wrapped
from pipes_engine import Engine, run_tests, uci_engine

STARTUP_16MB = ENGINE_NAME + "\n" + "=" * 47 + "\n\nHash size: 16383 Kbytes -> 699050 entries\n\n"


def run(path, cwd, args, text):
    proc = subprocess.run([*engine_command(path), *args], cwd=cwd, input=text, capture_output=True, text=True, timeout=120)
    stderr = engine_stderr(proc.stderr)
    assert stderr == "", "standard error: %r" % stderr
    return proc.returncode, proc.stdout


def test_command_line_options(path, cwd):
    code, out = run(path, cwd, ["--version"], "")
    assert (code, out) == (0, ENGINE_NAME + "\n"), (code, out)
    code, out = run(path, cwd, ["--help"], "")
    assert code == 0 and out.startswith("Usage: torlo [--threads N] [--hash MB]") and "--version" in out, out
    for args, answer in [(["--bogus"], "Error (unknown option): --bogus"),
                         (["--hash"], "Error (missing number): --hash"),
                         (["--threads", "two"], "Error (missing number): --threads two")]:
        code, out = run(path, cwd, args, "quit\n")
        assert code == 2 and out.startswith(answer) and out.count("\n") == 1, (args, code, out)
    # The hash line reports the table in use; out-of-range values are clamped and said so.
    code, out = run(path, cwd, ["--hash", "256", "--threads", "2"], "quit\n")
    assert code == 0 and "Hash size: 262143 Kbytes -> 11184810 entries\n" in out, out
    code, out = run(path, cwd, ["--threads", "0", "--hash", "0"], "quit\n")
    assert out.startswith("Error (out of range): --threads 0; 1 is used\n"
                          "Error (out of range): --hash 0; 1 is used\n" +
                          ENGINE_NAME + "\n"), out
    assert "Hash size:  1023 Kbytes ->  43690 entries\n" in out, out
    # The defaults are the engine as it always was.
    code, out = run(path, cwd, ["--threads", "1", "--hash", "16"], "quit\n")
    assert (code, out) == (0, STARTUP_16MB), out


def test_console_cores_and_memory(path, cwd):
    text = ("cores 0\ncores 300\ncores abc\nmemory 0\nmemory 8\nmemory\n"
            "cores 2\nst 1\nsd 30\nnopost\nnew\ne2e4\nquit\n")
    code, out = run(path, cwd, [], text)
    lines = out.split("\n")[5:]
    assert lines[:3] == ["Error (out of range): cores 0; 1 is used",
                         "Error (out of range): cores 300; 256 is used",
                         "Error (out of range): memory 0; 1 is used"], out
    assert len(lines) == 5 and lines[3].startswith("1. ... ") and code == 0, out  # a move with two threads


def threads_of(e):
    return len(os.listdir("/proc/%d/task" % e.proc.pid))


def idle_threads_of(e):
    """The threads once the move is out. Under a wrapper (Wine), an ended
    Windows thread can stay listed a few milliseconds after it was joined:
    there the count is the one that has not fallen for 0.2 s (2 s at most)."""
    count = threads_of(e)
    if not wrapped():
        return count
    deadline, steady = time.time() + 2, time.time() + 0.2
    while time.time() < min(deadline, steady):
        time.sleep(0.01)
        now = threads_of(e)
        if now < count:
            count, steady = now, time.time() + 0.2
    return count


def test_uci_options_and_stop_latency(path, cwd):
    e = uci_engine(path, cwd, "Threads value 0", "Hash value 0", "Threads value 3", "Hash value 32", "Hash value x")
    e.expect(lambda l: l == "info string Threads 0 is out of range; 1 is used", 5)
    e.expect(lambda l: l == "info string Hash 0 is out of range; 1 is used", 5)
    e.expect(lambda l: l == "info string Hash needs a number: x", 5)
    latencies, idle = [], []
    for moves in ["e2e4", "d2d4", "g1f3"]:
        e.send("position startpos moves " + moves)
        e.send("go infinite")
        e.expect(lambda l: l.startswith("info depth 6"), 30)
        searching = threads_of(e)
        time.sleep(0.3)
        e.send("stop")
        t0 = time.time()
        e.expect(lambda l: l.startswith("bestmove "), 5)
        latencies.append(time.time() - t0)
        e.send("isready")
        e.expect(lambda l: l == "readyok", 5)
        idle.append(idle_threads_of(e))
        # (A sanitizer may run a thread of its own: the difference counts.)
        assert searching - idle[-1] == 2, "two helpers while searching, none after (%d, %d)" % (searching, idle[-1])
    assert len(set(idle)) == 1, idle
    # Node counts of all threads: nodes/nps grow beyond one thread's share.
    e.send("position startpos")
    e.send("go depth 8")
    info = [e.expect(lambda l: l.startswith("info depth") or l.startswith("bestmove"), 30)]
    while not info[-1].startswith("bestmove"):
        info.append(e.expect(lambda l: l.startswith("info depth") or l.startswith("bestmove"), 30))
    assert len(info) > 3, info
    e.send("quit")
    e.finish()
    # The clock is read every 2048 nodes, well under a millisecond; the margin
    # is for a loaded machine and a sanitizer build.
    assert statistics.median(latencies) < 0.25 and max(latencies) < 1.0, latencies


def test_quit_during_threaded_search(path, cwd):
    # Measured against quit without a search in the same run: a wrapper such
    # as Wine takes its own time to end a program.
    took = {}
    for searching in (False, True):
        e = uci_engine(path, cwd, "Threads value 2")
        e.send("isready")
        e.expect(lambda l: l == "readyok", 30)
        if searching:
            e.send("position startpos")
            e.send("go infinite")
            e.expect(lambda l: l.startswith("info depth 5"), 30)
        t0 = time.time()
        e.send("quit")
        e.finish()
        took[searching] = time.time() - t0
    assert took[True] < took[False] + 1.0, "quit took %.2f s while searching, %.2f s idle" % (took[True], took[False])


def test_multipv_with_helper_threads(path, cwd):
    # The main thread reports the lines: three a depth, best first, different
    # first moves, and bestmove is line 1's move.
    e = uci_engine(path, cwd, "Threads value 2", "MultiPV value 3")
    e.send("position fen r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3")
    e.send("go depth 6")
    lines = []
    while not (line := e.expect(lambda l: l.startswith(("info depth", "bestmove")), 60)).startswith("bestmove"):
        lines.append(line.split())
    last = [l for l in lines if l[2] == "6"]
    assert [l[4] for l in last[-3:]] == ["1", "2", "3"], lines[-6:]
    scores = [int(l[7]) for l in last[-3:] if l[6] == "cp"]
    assert scores == sorted(scores, reverse=True), last[-3:]
    firsts = [l[l.index("pv") + 1] for l in last[-3:]]
    assert len(set(firsts)) == 3 and line.split()[1] == firsts[0], (firsts, line)
    e.send("quit")
    e.finish()


# Tests that need helper threads; a build that searches with one thread
# (its Threads option stops at 1: the MinGW build) leaves them out.
NEEDS_HELPERS = {"test_console_cores_and_memory", "test_uci_options_and_stop_latency"}


def threads_maximum(path):
    out = subprocess.run(engine_command(path), input="uci\nquit\n", capture_output=True, text=True,
                         timeout=60).stdout
    for line in out.split("\n"):
        if line.startswith("option name Threads "):
            return int(line.split()[-1])
    raise AssertionError("no Threads option: " + out)


def main():
    skipped = NEEDS_HELPERS if threads_maximum(os.path.abspath(sys.argv[1])) == 1 else ()
    return run_tests(globals(), skipped, "this build searches with one thread")


if __name__ == "__main__":
    sys.exit(main())

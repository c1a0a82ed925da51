"""The whole-program tests' engine (behind TORLO_TEST_WRAPPER if set, e.g. Wine, whose
stderr lines start with TORLO_TEST_WRAPPER_STDERR), its lines read with a timeout, a runner."""
import os
import queue
import re
import shlex
import subprocess
import sys
import tempfile
import threading
import time

WRAPPER = shlex.split(os.environ.get("TORLO_TEST_WRAPPER", ""))


def engine_command(path):
    return WRAPPER + [path]


def engine_stderr(data):
    prefix = os.environ.get("TORLO_TEST_WRAPPER_STDERR", "")
    prefix = prefix.encode() if isinstance(data, bytes) else prefix
    return data[:0].join(line for line in data.splitlines(True) if not (prefix and line.startswith(prefix)))

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "version.cmake")) as f:
    ENGINE_NAME = "TORLO v" + re.search(r"set\(TORLO_VERSION (\S+)\)", f.read()).group(1)
STARTUP = ENGINE_NAME + "\n" + "=" * 47 + "\n\nHash size: 16383 Kbytes -> 699050 entries\n\n"


def coordinates(move, white):
    """A printed move (x, ep, O-O, O-O-O) in the coordinates the engine reads."""
    rank = "1" if white else "8"
    return {"O-O": "e%sg%s" % (rank, rank), "O-O-O": "e%sc%s" % (rank, rank)}.get(move) or \
        move.replace("x", "").replace("ep", "")


def run(path, cwd, text, args=()):
    """A session with text as its whole input: (exit code, output); standard error must stay empty."""
    proc = subprocess.run([*engine_command(path), *args], cwd=cwd, input=text, capture_output=True, text=True,
                          timeout=120)
    assert engine_stderr(proc.stderr) == "", "standard error: %r" % proc.stderr
    return proc.returncode, proc.stdout


class Engine:
    def __init__(self, path, cwd):
        self.proc = subprocess.Popen(engine_command(path), cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=lambda: [*map(self.lines.put, (l.rstrip("\n") for l in self.proc.stdout)),
                                         self.lines.put(None)], daemon=True).start()

    def send(self, *lines):
        self.proc.stdin.write("".join(line + "\n" for line in lines))
        self.proc.stdin.flush()

    def expect(self, predicate, timeout):
        """The first line satisfying predicate (a function or a line prefix), failing after timeout seconds."""
        predicate = (lambda p: lambda l: l.startswith(p))(predicate) if isinstance(predicate, str) else predicate
        deadline = time.time() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0, deadline - time.time()))
            except queue.Empty:
                raise AssertionError("timed out waiting for a line")
            assert line is not None, "engine closed its output"
            if predicate(line):
                return line

    def timed(self, line, predicate, timeout=10):
        t0 = time.time()
        self.send(line)
        self.expect(predicate, timeout)
        return time.time() - t0

    def ask(self, *lines, timeout=60):
        """Sends the lines and the unknown word xyzzy; the lines before its error line."""
        self.send(*lines, "xyzzy")
        answer = []
        while (line := self.expect(lambda l: True, timeout)) != "Error (unknown command): xyzzy":
            answer.append(line)
        return answer

    def finish(self, timeout=10, quit=True):
        if quit:
            self.send("quit")
        code = self.proc.wait(timeout=timeout)
        err = engine_stderr(self.proc.stderr.read())
        assert code == 0 and err == "", "exit code %d, standard error %r" % (code, err)


def never(expect, what, seconds):
    """Fails if expect(what, seconds) finds what (the output ending finds nothing)."""
    try:
        found = expect(what, seconds)
    except AssertionError:
        return
    raise AssertionError("unexpected: %r" % (found or what))


def uci_engine(path, cwd, *options):
    """The engine after the UCI handshake, its book off and each 'setoption name ...' of options sent."""
    e = Engine(path, cwd)
    e.send("uci")
    e.expect(lambda l: l == "uciok", 10)
    e.send(*("setoption name " + o for o in ("OwnBook value false",) + options))
    return e


def run_tests(namespace, skipped=(), reason=""):
    """The script's test_* functions with the engine of the command line, each in a fresh empty directory."""
    failed = 0
    for name, test in sorted((k, v) for k, v in namespace.items() if k.startswith("test_")):
        if name in skipped:
            print("skipped", name, "(%s)" % reason)
            continue
        with tempfile.TemporaryDirectory() as cwd:
            try:
                test(os.path.abspath(sys.argv[1]), cwd)
                print("ok", name)
            except AssertionError as ex:
                failed += 1
                print("FAIL", name, ex)
    return 1 if failed else 0

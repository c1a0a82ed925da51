"""What the whole-program tests share: starting the engine, reading its
lines with a timeout, and a runner of named checks.

The engine given on a test's command line runs directly, or behind the
command in TORLO_TEST_WRAPPER: with "/usr/lib/wine/wine64" the tests run the
Windows build under Wine. A wrapper may write lines of its own on standard
error; those starting with TORLO_TEST_WRAPPER_STDERR (for Wine "wine:") are
not the engine's and are left out of the standard-error checks.
"""
import os
import queue
import re
import shlex
import subprocess
import sys
import tempfile
import threading
import time


def engine_command(path):
    """The argument list that starts the engine at path."""
    return shlex.split(os.environ.get("TORLO_TEST_WRAPPER", "")) + [path]


def wrapped():
    return bool(os.environ.get("TORLO_TEST_WRAPPER", "").strip())


def engine_stderr(data):
    """The engine's own part of what was written on standard error (bytes or text)."""
    prefix = os.environ.get("TORLO_TEST_WRAPPER_STDERR", "")
    prefix = prefix.encode() if isinstance(data, bytes) else prefix
    return data[:0].join(line for line in data.splitlines(True) if not (prefix and line.startswith(prefix)))


with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "cmake", "version.cmake")) as f:
    ENGINE_NAME = "TORLO v" + re.search(r"set\(TORLO_VERSION (\S+)\)", f.read()).group(1)
STARTUP = ENGINE_NAME + "\n" + "=" * 47 + "\n\nHash size: 16383 Kbytes -> 699050 entries\n\n"


def run(path, cwd, text, args=()):
    """A session with text as its whole input: (exit code, output); standard error must stay empty."""
    proc = subprocess.run([*engine_command(path), *args], cwd=cwd, input=text, capture_output=True, text=True,
                          timeout=120)
    assert engine_stderr(proc.stderr) == "", "standard error: %r" % proc.stderr
    return proc.returncode, proc.stdout


def matcher(predicate):
    """A line predicate: a function or a line prefix."""
    return (lambda line: line.startswith(predicate)) if isinstance(predicate, str) else predicate


class Engine:
    """The program over pipes: lines are sent as an interface sends them and read as they arrive."""

    def __init__(self, path, cwd):
        self.proc = subprocess.Popen(engine_command(path), cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._reader, daemon=True).start()

    def _reader(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def send(self, *lines):
        self.proc.stdin.write("".join(line + "\n" for line in lines))
        self.proc.stdin.flush()

    def expect(self, predicate, timeout):
        """The first line satisfying predicate (see matcher), failing after timeout seconds."""
        predicate = matcher(predicate)
        deadline = time.time() + timeout
        while True:
            try:
                line = self.lines.get(timeout=deadline - time.time())
            except (queue.Empty, ValueError):  # ValueError: the deadline has passed
                raise AssertionError("timed out waiting for a line")
            if line is None:
                raise AssertionError("engine closed its output")
            if predicate(line):
                return line

    def timed(self, line, predicate, timeout=10):
        """Sends line; returns the seconds until a line satisfying predicate."""
        t0 = time.time()
        self.send(line)
        self.expect(predicate, timeout)
        return time.time() - t0

    def no_line(self, predicate, seconds):
        """Fails if a line satisfying predicate arrives within the time."""
        try:
            line = self.expect(predicate, seconds)
        except AssertionError:  # none came, or the output ended
            return
        raise AssertionError("unexpected line: " + line)

    def ask(self, *lines, timeout=60):
        """Sends the lines and the unknown word xyzzy, whose error line ends
        their answer; returns the answer's lines."""
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


def uci_engine(path, cwd, *options):
    """The engine after the UCI handshake, its book off and each 'setoption name ...' of options sent."""
    e = Engine(path, cwd)
    e.send("uci")
    e.expect(lambda l: l == "uciok", 10)
    e.send(*("setoption name " + o for o in ("OwnBook value false",) + options))
    return e


def run_tests(namespace, skipped=(), reason=""):
    """Runs a script's test_* functions with the engine of the command line, each in a fresh empty directory."""
    path = os.path.abspath(sys.argv[1])
    failed = 0
    for name, test in sorted((k, v) for k, v in namespace.items() if k.startswith("test_")):
        if name in skipped:
            print("skipped", name, "(%s)" % reason)
            continue
        with tempfile.TemporaryDirectory() as cwd:
            try:
                test(path, cwd)
                print("ok", name)
            except AssertionError as ex:
                failed += 1
                print("FAIL", name, ex)
    return 1 if failed else 0

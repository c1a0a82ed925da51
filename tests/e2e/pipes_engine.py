"""The real program over pipes, for the whole-program scripts: lines are
sent as they would be by an interface and read back as they arrive."""
import queue
import subprocess
import threading
import time

from engine_command import engine_command, engine_stderr


class Engine:
    def __init__(self, path, cwd, args=()):
        self.proc = subprocess.Popen([*engine_command(path), *args], cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._reader, daemon=True).start()

    def _reader(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def send(self, text):
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()

    def expect(self, predicate, timeout):
        """Returns the first line satisfying predicate, failing after timeout seconds."""
        deadline = time.time() + timeout
        while True:
            left = deadline - time.time()
            if left <= 0:
                raise AssertionError("timed out waiting for a line")
            try:
                line = self.lines.get(timeout=left)
            except queue.Empty:
                raise AssertionError("timed out waiting for a line")
            if line is None:
                raise AssertionError("engine closed its output")
            if predicate(line):
                return line

    def no_line(self, predicate, seconds):
        """Fails if a line satisfying predicate arrives within the time."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            try:
                line = self.lines.get(timeout=max(0.01, deadline - time.time()))
            except queue.Empty:
                return
            if line is not None and predicate(line):
                raise AssertionError("unexpected line: " + line)

    def ask(self, *lines, timeout=60):
        """Sends the lines and then the unknown word xyzzy, whose error line
        marks the end of their answer; returns the answer's lines."""
        for line in lines + ("xyzzy",):
            self.send(line)
        answer = []
        while True:
            line = self.expect(lambda l: True, timeout)
            if line == "Error (unknown command): xyzzy":
                return answer
            answer.append(line)

    def finish(self, timeout=10):
        code = self.proc.wait(timeout=timeout)
        err = engine_stderr(self.proc.stderr.read())
        assert code == 0, "exit code %d" % code
        assert err == "", "standard error: %r" % err


def uci_engine(path, cwd, *options):
    """The engine after the UCI handshake, its book off and each
    'setoption name ...' of options sent."""
    e = Engine(path, cwd)
    e.send("uci")
    e.expect(lambda l: l == "uciok", 10)
    for option in ("OwnBook value false",) + options:
        e.send("setoption name " + option)
    return e


def run_tests(namespace, skipped=(), reason=""):
    """Runs every test_* function of a script's namespace with the engine
    path from the command line and a fresh empty directory; the tests named
    in skipped are reported as skipped with the reason. Returns the exit code."""
    import os
    import sys
    import tempfile
    path = os.path.abspath(sys.argv[1])
    tests = [v for k, v in sorted(namespace.items()) if k.startswith("test_") and callable(v)]
    failed = 0
    for t in tests:
        if t.__name__ in skipped:
            print("skipped", t.__name__, "(%s)" % reason)
            continue
        with tempfile.TemporaryDirectory() as cwd:
            try:
                t(path, cwd)
                print("ok", t.__name__)
            except AssertionError as ex:
                failed += 1
                print("FAIL", t.__name__, ex)
    print("%d passed, %d failed, %d skipped" % (len(tests) - failed - len(skipped), failed, len(skipped)))
    return 1 if failed else 0

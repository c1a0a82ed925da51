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

    def finish(self, timeout=10):
        code = self.proc.wait(timeout=timeout)
        err = engine_stderr(self.proc.stderr.read())
        assert code == 0, "exit code %d" % code
        assert err == "", "standard error: %r" % err

#!/usr/bin/env python3
"""The program at a pseudo-terminal (under Wine a Windows console) as a user types. Wine draws
blanks with escape sequences: output is compared without them and blanks."""
import fcntl
import os
import pty
import re
import select
import signal
import struct
import subprocess
import sys
import termios
import time

from engine_command import WRAPPER, engine_command, never, run_tests

ESCAPE = re.compile(rb"\x1b(\[[0-9;?]*[@-~]|[()][0-9A-Za-z]|[=>])")
AFTER_PAUSE = b"help-showthiscommandslist"  # the first help line after the pause
KEY = b"@"                                    # in no line the engine prints


def compact(raw):
    return re.sub(rb"\s+", b"", ESCAPE.sub(b"", raw))


class Terminal:
    def __init__(self, path, cwd):
        command = engine_command(path)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(cwd)
            signal.signal(signal.SIGINT, signal.SIG_DFL)  # whatever the test runner ignores
            os.execvp(command[0], command)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 60, 120, 0, 0))
        self.raw, self.seen = b"", 0  # all output; compact(raw)[:seen] has been matched
        self.expect(b"entries", 30)
        # Wine's console sets raw mode a moment after the start (a line typed
        # before would end in LF, not Enter): wait until the modes stay 1 s.
        modes, since = termios.tcgetattr(self.fd), time.monotonic()
        while time.monotonic() - since < 1.0:
            self._read(0.05)
            if termios.tcgetattr(self.fd) != modes:
                modes, since = termios.tcgetattr(self.fd), time.monotonic()

    def _read(self, seconds, ending=False):
        if select.select([self.fd], [], [], seconds)[0]:
            try:
                self.raw += (chunk := os.read(self.fd, 65536))
            except OSError:  # the program has ended
                chunk = b""
            assert chunk or ending, "the program ended early; output: %r" % compact(self.raw)[-300:]

    def type(self, text):
        os.write(self.fd, text)

    def expect(self, text, timeout):
        deadline = time.monotonic() + timeout
        while (found := compact(self.raw).find(text, self.seen)) < 0:
            assert time.monotonic() < deadline, "%r did not appear; output: %r" % (text, compact(self.raw)[-300:])
            self._read(max(0, deadline - time.monotonic()))
        self.seen = found + len(text)

    def wait(self, timeout=15):
        deadline = time.monotonic() + timeout
        while not (ended := os.waitpid(self.pid, os.WNOHANG))[0]:
            if time.monotonic() > deadline:
                os.kill(self.pid, 9)
                raise AssertionError("the program did not end")
            self._read(0.1, ending=True)
        os.close(self.fd)
        return ended[1]

    def finish(self):
        self.type(b"quit\r")
        assert os.waitstatus_to_exitcode(self.wait()) == 0
        return compact(self.raw)


def test_help_pause_waits_for_one_key_without_echo(path, cwd):
    t = Terminal(path, cwd)
    t.type(b"help\r")
    t.expect(b"<hitakey>", 10)
    never(t.expect, AFTER_PAUSE, 1.5)  # the pause waits
    t.type(KEY)
    t.expect(AFTER_PAUSE, 10)
    after_key = t.finish().split(b"<hitakey>", 1)[1]
    assert KEY not in after_key, "the key was echoed: %r" % after_key[:200]
    assert b"Error" not in after_key, "the key was read as input: %r" % after_key[-200:]


def test_uci_search_reads_the_terminal(path, cwd):
    t = Terminal(path, cwd)
    t.type(b"uci\r")
    t.expect(b"uciok", 10)
    t.type(b"setoption name OwnBook value false\rposition startpos\r")
    started = time.monotonic()
    t.type(b"go movetime 700\r")
    t.expect(b"bestmove", 10)  # nothing typed: the clock ends the search
    assert time.monotonic() - started < 6.0, "movetime 700 took %.1f s" % (time.monotonic() - started)
    t.type(b"go infinite\r")
    t.expect(b"infodepth", 10)
    never(t.expect, b"bestmove", 1.5)  # no end until stop
    t.type(b"stop\r")
    t.expect(b"bestmove", 5)
    t.finish()


def test_interrupt_ends_the_program_at_a_terminal_only(path, cwd):
    if WRAPPER:
        print("skipped the interrupt key: Windows has no interrupt signal to send")
        return
    t = Terminal(path, cwd)
    t.type(b"\x03")
    status = t.wait(10)
    assert os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGINT, "status %r" % status

    proc = subprocess.Popen(engine_command(path), cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    proc.stdin.write(b"xboard\n")
    proc.stdin.flush()
    time.sleep(0.5)
    proc.send_signal(signal.SIGINT)  # xboard sends one before it knows the features
    time.sleep(0.2)
    out, _ = proc.communicate(b"protover 2\nquit\n", timeout=30)
    assert proc.returncode == 0, "exit code %d after an interrupt through a pipe" % proc.returncode
    assert b"feature setboard=1" in out, out[-300:]


if __name__ == "__main__":
    sys.exit(run_tests(globals()))

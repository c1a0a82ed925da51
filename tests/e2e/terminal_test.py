#!/usr/bin/env python3
"""The real program at a terminal (a pseudo-terminal), as a user types:

  * the help screen pauses at "<hit a key>" until one key is pressed; that
    key is neither echoed nor left over for the next line;
  * in UCI mode a timed search ends by its clock when nothing is typed, and
    a line typed during `go infinite` (stop) is read while it searches;
  * the interrupt key (Ctrl-C) ends the program at a terminal, while an
    interrupt signal to a program reading a pipe (as xboard sends one
    before it knows the engine's features) changes nothing.

Under Wine (see engine_command.py) the terminal is a Windows console, and
these are the console's key and line checks of the Windows build.

The console of Wine draws the screen with escape sequences and cursor
moves in place of some blanks, so the output is compared with the blanks
and the escape sequences taken out.

Usage: terminal_test.py ENGINE
"""
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

from engine_command import engine_command, wrapped
from pipes_engine import run_tests

ESCAPE = re.compile(rb"\x1b(\[[0-9;?]*[@-~]|[()][0-9A-Za-z]|[=>])")
BLANKS = re.compile(rb"\s+")
AFTER_PAUSE = b"help-showthiscommandslist"  # the first help line after the pause
KEY = b"@"                                    # in no line the engine prints


def compact(raw):
    return BLANKS.sub(b"", ESCAPE.sub(b"", raw))


class Terminal:
    def __init__(self, path, cwd):
        command = engine_command(path)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(cwd)
            signal.signal(signal.SIGINT, signal.SIG_DFL)  # whatever the test runner ignores
            os.execvp(command[0], command)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", 60, 120, 0, 0))
        self.raw = b""    # everything printed so far
        self.seen = 0     # compacted text before this offset has been matched

    def _read(self, seconds):
        ready, _, _ = select.select([self.fd], [], [], seconds)
        if not ready:
            return False
        try:
            chunk = os.read(self.fd, 65536)
        except OSError:  # the program has ended
            chunk = b""
        if not chunk:
            raise AssertionError("the program ended early; output: %r" % compact(self.raw)[-300:])
        self.raw += chunk
        return True

    def settle(self, seconds=1.0):
        """Waits until the terminal's modes have stayed the same for the time.

        Wine's console switches the terminal to raw mode a moment after the
        program starts, sometimes after its first lines; a line typed before
        that would reach it with LF for CR, which a console does not take for
        Enter."""
        modes = termios.tcgetattr(self.fd)
        since = time.monotonic()
        while time.monotonic() - since < seconds:
            self._read(0.05)
            now = termios.tcgetattr(self.fd)
            if now != modes:
                modes, since = now, time.monotonic()

    def type(self, text):
        os.write(self.fd, text)

    def expect(self, text, timeout):
        """Waits until text appears in the output after what was matched before."""
        deadline = time.monotonic() + timeout
        while True:
            found = compact(self.raw).find(text, self.seen)
            if found >= 0:
                self.seen = found + len(text)
                return
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("%r did not appear; output: %r" % (text, compact(self.raw)[-300:]))
            self._read(left)

    def nothing_new(self, text, seconds):
        """Fails if text appears after what was matched within the time."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self._read(max(0.01, deadline - time.monotonic()))
            if compact(self.raw).find(text, self.seen) >= 0:
                raise AssertionError("%r appeared too early" % text)

    def finish(self, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                os.close(self.fd)
                code = os.waitstatus_to_exitcode(status)
                assert code == 0, "exit code %d" % code
                return compact(self.raw)
            try:
                self._read(0.1)
            except AssertionError:
                pass
        os.kill(self.pid, 9)
        raise AssertionError("the program did not end after quit")


def test_help_pause_waits_for_one_key_without_echo(path, cwd):
    t = Terminal(path, cwd)
    t.expect(b"entries", 30)
    t.settle()
    t.type(b"help\r")
    t.expect(b"<hitakey>", 10)
    t.nothing_new(AFTER_PAUSE, 1.5)  # the pause waits
    t.type(KEY)
    t.expect(AFTER_PAUSE, 10)
    t.type(b"quit\r")
    out = t.finish()
    after_key = out[out.find(b"<hitakey>"):]
    assert KEY not in after_key, "the key was echoed: %r" % after_key[:200]
    assert b"Error" not in after_key, "the key was read as input: %r" % after_key[-200:]


def test_uci_search_reads_the_terminal(path, cwd):
    t = Terminal(path, cwd)
    t.expect(b"entries", 30)
    t.settle()
    t.type(b"uci\r")
    t.expect(b"uciok", 10)
    t.type(b"setoption name OwnBook value false\rposition startpos\r")
    started = time.monotonic()
    t.type(b"go movetime 700\r")
    t.expect(b"bestmove", 10)  # nothing typed: the clock ends the search
    assert time.monotonic() - started < 6.0, "movetime 700 took %.1f s" % (time.monotonic() - started)
    t.type(b"go infinite\r")
    t.expect(b"infodepth", 10)
    t.nothing_new(b"bestmove", 1.5)  # no end until stop
    t.type(b"stop\r")
    t.expect(b"bestmove", 5)
    t.type(b"quit\r")
    t.finish()


def test_interrupt_ends_the_program_at_a_terminal_only(path, cwd):
    if wrapped():
        return  # Windows has no interrupt signal to send
    t = Terminal(path, cwd)
    t.expect(b"entries", 30)
    t.settle()
    t.type(b"\x03")
    deadline = time.monotonic() + 10
    while True:
        pid, status = os.waitpid(t.pid, os.WNOHANG)
        if pid:
            os.close(t.fd)
            assert os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGINT, "status %r" % status
            break
        assert time.monotonic() < deadline, "Ctrl-C did not end the program"
        time.sleep(0.05)

    proc = subprocess.Popen(engine_command(path), cwd=cwd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
    proc.stdin.write(b"xboard\n")
    proc.stdin.flush()
    time.sleep(0.5)
    proc.send_signal(signal.SIGINT)
    time.sleep(0.2)
    out, _ = proc.communicate(b"protover 2\nquit\n", timeout=30)
    assert proc.returncode == 0, "exit code %d after an interrupt through a pipe" % proc.returncode
    assert b"feature setboard=1" in out, out[-300:]


def main():
    return run_tests(globals())


if __name__ == "__main__":
    sys.exit(main())

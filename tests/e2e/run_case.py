#!/usr/bin/env python3
"""Runs one whole-program session: feeds NAME.in to the engine and compares
its standard output with NAME.out, byte for byte after masking the columns
that depend on the clock.

The engine runs in a fresh empty directory. Optional companions of a case:
  NAME.book     copied there as TORLO.opn (otherwise the engine has no book)
  NAME.files/   its files are copied there (position files for loadpos)
Standard error must stay empty and the exit code must be 0. The engine may
run behind a wrapper command such as Wine: see engine_command.py.

Usage: run_case.py ENGINE CASE.in [--update]
"""
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile

from engine_command import engine_command, engine_stderr

THINKING = re.compile(r"^(  [ \d-]{2} [ \d-]{6} )[ \d-]{6}( [ \d]{7}  .*)$")
TIME_LINE = re.compile(r"^Time: \d+ ms$")
NPS_LINE = re.compile(r"^Nodes/second: \d+$")
UCI_INFO = re.compile(r"\b(time|nps) \d+")


def mask(text):
    lines = []
    for line in text.split("\n"):
        line = NPS_LINE.sub("Nodes/second: #", TIME_LINE.sub("Time: # ms", THINKING.sub(r"\1######\2", line)))
        lines.append(UCI_INFO.sub(r"\1 #", line) if line.startswith("info ") else line)
    return "\n".join(lines)


def main():
    engine, case_in = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    base = case_in[:-3]
    with tempfile.TemporaryDirectory() as workdir, open(case_in, "rb") as f:
        if os.path.exists(base + ".book"):
            shutil.copy(base + ".book", os.path.join(workdir, "TORLO.opn"))
        for name in os.listdir(base + ".files") if os.path.isdir(base + ".files") else []:
            shutil.copy(os.path.join(base + ".files", name), workdir)
        proc = subprocess.run(engine_command(engine), stdin=f, cwd=workdir, capture_output=True, timeout=240)
    actual = mask(proc.stdout.decode("latin-1"))
    problems = ["exit code %d" % proc.returncode] if proc.returncode else []
    if engine_stderr(proc.stderr):
        problems.append("standard error not empty: %r" % engine_stderr(proc.stderr)[:200])
    if "--update" in sys.argv[3:]:
        with open(base + ".out", "w", encoding="latin-1", newline="") as f:
            f.write(actual)
    with open(base + ".out", encoding="latin-1", newline="") as f:
        expected = f.read()
    if actual != expected:
        diff = difflib.unified_diff(expected.splitlines(True), actual.splitlines(True), "expected", "actual")
        problems.append("output differs:\n" + "".join(diff))
    print("\n".join(problems) or "ok")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

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
        line = THINKING.sub(r"\1######\2", line)
        line = TIME_LINE.sub("Time: # ms", line)
        line = NPS_LINE.sub("Nodes/second: #", line)
        if line.startswith("info "):
            line = UCI_INFO.sub(r"\1 #", line)
        lines.append(line)
    return "\n".join(lines)


def run(engine, case_in, workdir):
    base = case_in[:-3]
    if os.path.exists(base + ".book"):
        shutil.copy(base + ".book", os.path.join(workdir, "TORLO.opn"))
    if os.path.isdir(base + ".files"):
        for name in os.listdir(base + ".files"):
            shutil.copy(os.path.join(base + ".files", name), workdir)
    with open(case_in, "rb") as f:
        data = f.read()
    return subprocess.run(engine_command(engine), input=data, cwd=workdir, capture_output=True, timeout=240)


def main():
    engine, case_in = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    update = "--update" in sys.argv[3:]
    with tempfile.TemporaryDirectory() as workdir:
        proc = run(engine, case_in, workdir)
    actual = mask(proc.stdout.decode("latin-1"))
    problems = []
    if proc.returncode != 0:
        problems.append("exit code %d" % proc.returncode)
    stderr = engine_stderr(proc.stderr)
    if stderr:
        problems.append("standard error not empty: %r" % stderr[:200])
    expected_path = case_in[:-3] + ".out"
    if update:
        with open(expected_path, "w", encoding="latin-1", newline="") as f:
            f.write(actual)
    with open(expected_path, encoding="latin-1", newline="") as f:
        expected = f.read()
    if actual != expected:
        diff = difflib.unified_diff(expected.splitlines(True), actual.splitlines(True), "expected", "actual")
        problems.append("output differs:\n" + "".join(diff))
    if problems:
        print("\n".join(problems))
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())

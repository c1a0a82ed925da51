#!/usr/bin/env python3
"""run_case.py ENGINE NAME.in [--update]: NAME.in fed to the engine in an empty directory (NAME.book as
TORLO.opn, NAME.files/*) gives NAME.out, clock columns masked; exit code 0, standard error empty."""
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile

from engine_command import engine_command, engine_stderr

MASKS = [(r"^(  [ \d-]{2} [ \d-]{6} )[ \d-]{6}( [ \d]{7}  .*)$", r"\1######\2"),  # a thinking line's time column
         (r"^Time: \d+ ms$", "Time: # ms"), (r"^Nodes/second: \d+$", "Nodes/second: #"),
         (r"^(info .*)$", lambda m: re.sub(r"\b(time|nps) \d+", r"\1 #", m.group()))]


def main():
    engine, case_in = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    base = case_in[:-3]
    with tempfile.TemporaryDirectory() as workdir, open(case_in, "rb") as f:
        if os.path.exists(base + ".book"):
            shutil.copy(base + ".book", os.path.join(workdir, "TORLO.opn"))
        for name in os.listdir(base + ".files") if os.path.isdir(base + ".files") else []:
            shutil.copy(os.path.join(base + ".files", name), workdir)
        proc = subprocess.run(engine_command(engine), stdin=f, cwd=workdir, capture_output=True, timeout=240)
    actual = proc.stdout.decode("latin-1")
    for pattern, replacement in MASKS:
        actual = re.sub(pattern, replacement, actual, flags=re.MULTILINE)
    problems = ["exit code %d" % proc.returncode] * bool(proc.returncode) + \
        ["standard error not empty: %r" % engine_stderr(proc.stderr)[:200]] * bool(engine_stderr(proc.stderr))
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

#!/usr/bin/env python3
"""install_test.py CMAKE BUILD_DIR SOURCE_DIR: installed copies (prefix, moved, linked, the "debian"
component) started elsewhere find their book; one in the working folder comes first."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from engine_command import STARTUP  # noqa: E402


def book_line(path):
    data = open(path, "rb").read()
    return "Book size: %5d Kbytes -> %6d positions\n" % (len(data) // 1024, data.count(b"\n"))


def run(engine, cwd, text):
    proc = subprocess.run([engine], input=text, cwd=cwd, capture_output=True, text=True, timeout=120)
    return "exit %d, stderr %r" % (proc.returncode, proc.stderr) if proc.returncode or proc.stderr else proc.stdout


def install(cmake, build, prefix, *args):
    subprocess.run([cmake, "--install", build, "--prefix", prefix, *args], check=True, stdout=subprocess.DEVNULL)


def missing(prefix, present, absent):
    return ["%s missing" % p for p in present if not os.path.isfile(os.path.join(prefix, p))] + \
           ["%s present" % p for p in absent if os.path.exists(os.path.join(prefix, p))]


def book_session(engine, cwd, book, first_move=None):
    """The start-up lines with the book line, and `go` plays a book move (first_move if given); None if so."""
    out = run(engine, cwd, "sd 3\ngo\nquit\n")
    head = STARTUP[:-1] + book + "\n"
    rest = out[len(head):].splitlines() if out.startswith(head) else []
    book_moves = [l.split()[4] for l in rest if l.endswith("(book move)")]
    if len(rest) != 2 or book_moves != [rest[1][3:]] or (first_move and book_moves != [first_move]):
        return "no book move%s after the book line %r: %r" % (first_move and " " + first_move or "", book, out[-300:])


def main():
    cmake, build, source = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    shipped = book_line(os.path.join(source, "TORLO.opn"))
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        for d in ("elsewhere", "links", "own", "second/opt"):
            os.makedirs(os.path.join(tmp, d))
        elsewhere = os.path.join(tmp, "elsewhere")
        prefix = os.path.join(tmp, "first", "usr")
        install(cmake, build, prefix)
        failures += ["prefix install: " + m for m in missing(prefix, [
            "bin/torlo", "share/torlo/TORLO.opn", "share/man/man6/torlo.6", "share/games/plugins/xboard/torlo.eng",
            "share/doc/torlo/README.md", "share/doc/torlo/LICENSE"], ["bin/TORLO.opn", "games"])]
        failures.append(book_session(os.path.join(prefix, "bin", "torlo"), elsewhere, shipped))

        moved = os.path.join(tmp, "second", "opt", "torlo")
        os.rename(prefix, moved)
        engine = os.path.join(moved, "bin", "torlo")
        os.symlink(engine, os.path.join(tmp, "links", "torlo"))
        failures += [book_session(e, elsewhere, shipped) for e in (engine, os.path.join(tmp, "links", "torlo"))]

        with open(os.path.join(tmp, "own", "TORLO.opn"), "w") as f:
            f.write("d2d4d7d5\n")
        failures.append(book_session(engine, os.path.join(tmp, "own"), book_line(f.name), first_move="d2d4"))

        os.remove(os.path.join(moved, "share", "torlo", "TORLO.opn"))
        if run(engine, elsewhere, "quit\n") != STARTUP:
            failures.append("no book: start-up lines %r" % run(engine, elsewhere, "quit\n"))

        games = os.path.join(tmp, "games-layout", "usr")
        install(cmake, build, games, "--component", "debian")
        failures += ["debian component: " + m for m in missing(games, [
            "games/torlo", "share/games/torlo/TORLO.opn", "share/man/man6/torlo.6.gz",
            "share/games/plugins/xboard/torlo.eng", "share/doc/torlo/copyright", "share/doc/torlo/changelog.gz"], ["bin"])]
        failures.append(book_session(os.path.join(games, "games", "torlo"), elsewhere, shipped))
    failures = [f for f in failures if f]
    print("\n".join(failures) or "install: prefix, moved prefix, link, working-directory book, no book, games layout: ok")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

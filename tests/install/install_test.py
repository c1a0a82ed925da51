#!/usr/bin/env python3
"""Installed copies find their book from their own location.

Installs the build into temporary prefixes with `cmake --install` and starts
the installed engine from an unrelated empty directory:
  - the prefix layout (bin/, share/torlo/, the manual page, the xboard
    plugin, the documentation): the book line is printed and a book move
    is played, at the console and in UCI mode;
  - the same prefix moved to another path, and started through a symbolic
    link from a third directory: it still finds its book;
  - a book in the working directory comes first;
  - without a book anywhere the start-up lines are exactly the bookless ones;
  - the "debian" component (the package's layout: games/, share/games/torlo/)
    finds its book too.

Usage: install_test.py CMAKE BUILD_DIR SOURCE_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from engine_command import ENGINE_NAME  # noqa: E402

HEADER = (ENGINE_NAME + "\n"
          "===============================================\n"
          "\n"
          "Hash size: 16383 Kbytes -> 699050 entries\n")


def book_line(path):
    with open(path, "rb") as f:
        data = f.read()
    return "Book size: %5d Kbytes -> %6d positions\n" % (len(data) // 1024, data.count(b"\n"))


class Failures(list):
    def check(self, condition, what):
        if not condition:
            self.append(what)
        return condition


def run(engine, cwd, commands):
    proc = subprocess.run([engine], input="".join(c + "\n" for c in commands), cwd=cwd,
                          capture_output=True, text=True, timeout=120)
    return proc.returncode, proc.stdout, proc.stderr


def install(cmake, build, prefix, component=None):
    command = [cmake, "--install", build, "--prefix", prefix]
    if component:
        command += ["--component", component]
    proc = subprocess.run(command, capture_output=True, text=True)
    if proc.returncode != 0:
        raise SystemExit("cmake --install failed:\n" + proc.stdout + proc.stderr)


def check_session(failures, label, engine, cwd, expected_book_line, first_move=None):
    """At the console: the start-up lines with the book line, and `go` plays a book move."""
    code, out, err = run(engine, cwd, ["sd 3", "go", "quit"])
    failures.check(code == 0 and not err, "%s: exit %d, stderr %r" % (label, code, err[:200]))
    expected = HEADER + expected_book_line + "\n"
    if not failures.check(out.startswith(expected), "%s: start-up lines\n%s\nexpected\n%s" % (label, out[:400], expected)):
        return
    rest = out[len(expected):].splitlines()
    book = [l for l in rest if l.endswith("(book move)")]
    if failures.check(len(book) == 1 and len(rest) == 2 and rest[1] == "1. " + book[0].split()[4],
                      "%s: no book move played after `go`: %r" % (label, rest)):
        if first_move:
            failures.check(book[0] == " 0 0 0 0 %s (book move)" % first_move,
                           "%s: book move %r, expected %s from the working directory's book" % (label, book[0], first_move))


def check_uci(failures, label, engine, cwd):
    code, out, err = run(engine, cwd, ["uci", "position startpos", "go depth 3", "quit"])
    lines = out.splitlines()
    failures.check(code == 0 and not err and "info string book move" in lines
                   and any(l.startswith("bestmove ") for l in lines),
                   "%s: UCI go played no book move: %r" % (label, lines[-4:]))


def main():
    cmake, build, source = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    shipped = book_line(os.path.join(source, "TORLO.opn"))
    failures = Failures()
    with tempfile.TemporaryDirectory() as tmp:
        elsewhere = os.path.join(tmp, "elsewhere")
        os.mkdir(elsewhere)

        # The prefix layout.
        prefix = os.path.join(tmp, "first", "usr")
        install(cmake, build, prefix)
        for path in ["bin/torlo", "share/torlo/TORLO.opn", "share/man/man6/torlo.6",
                     "share/games/plugins/xboard/torlo.eng", "share/doc/torlo/README.md",
                     "share/doc/torlo/LICENSE"]:
            failures.check(os.path.isfile(os.path.join(prefix, path)), "prefix install: %s missing" % path)
        failures.check(not os.path.exists(os.path.join(prefix, "bin", "TORLO.opn")),
                       "prefix install: the book is in bin/")
        failures.check(not os.path.exists(os.path.join(prefix, "games")), "prefix install: a games/ folder")
        engine = os.path.join(prefix, "bin", "torlo")
        check_session(failures, "installed", engine, elsewhere, shipped)
        check_uci(failures, "installed, UCI", engine, elsewhere)

        # Moved as a whole, and started through a link from elsewhere.
        moved = os.path.join(tmp, "second", "opt", "torlo")
        os.makedirs(os.path.dirname(moved))
        os.rename(prefix, moved)
        engine = os.path.join(moved, "bin", "torlo")
        check_session(failures, "moved prefix", engine, elsewhere, shipped)
        links = os.path.join(tmp, "links")
        os.mkdir(links)
        os.symlink(engine, os.path.join(links, "torlo"))
        check_session(failures, "through a link", os.path.join(links, "torlo"), elsewhere, shipped)

        # The working directory's book comes first.
        own = os.path.join(tmp, "own")
        os.mkdir(own)
        with open(os.path.join(own, "TORLO.opn"), "w") as f:
            f.write("d2d4d7d5\n")
        check_session(failures, "book in the working directory", engine, own,
                      book_line(os.path.join(own, "TORLO.opn")), first_move="d2d4")

        # No book anywhere: the start-up lines as they always were.
        os.remove(os.path.join(moved, "share", "torlo", "TORLO.opn"))
        code, out, err = run(engine, elsewhere, ["quit"])
        failures.check(code == 0 and not err and out == HEADER + "\n",
                       "no book: start-up lines %r, exit %d, stderr %r" % (out, code, err[:200]))

        # The package's layout.
        games = os.path.join(tmp, "games-layout", "usr")
        install(cmake, build, games, component="debian")
        for path in ["games/torlo", "share/games/torlo/TORLO.opn", "share/man/man6/torlo.6.gz",
                     "share/games/plugins/xboard/torlo.eng", "share/doc/torlo/copyright",
                     "share/doc/torlo/changelog.gz"]:
            failures.check(os.path.isfile(os.path.join(games, path)), "debian component: %s missing" % path)
        failures.check(not os.path.exists(os.path.join(games, "bin")), "debian component: a bin/ folder")
        check_session(failures, "games layout", os.path.join(games, "games", "torlo"), elsewhere, shipped)

    if failures:
        print("\n".join(failures))
        return 1
    print("install: prefix, moved prefix, link, working-directory book, no book, games layout: all ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Pondering in xboard (`hard`, `easy`) over pipes; every game is replayed in force mode."""
import re
import sys
import time

from engine_command import Engine, coordinates, never, run, run_tests

OPENING = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
MOVE_LINE = re.compile(r"^\d+\. \.\.\. (\S+)$")
THINKING = re.compile(r"^ +\d+ +-?\d+ +\d+ +\d+  (.*)$")


class Game:
    def __init__(self, path, cwd, ponder=True, seconds=2):
        self.path, self.cwd, self.moves = path, cwd, []
        self.e = Engine(path, cwd)
        self.e.send("xboard", "protover 2", "new", "hard" if ponder else "easy", "post", "st %d" % seconds,
                    "setboard " + OPENING, "go")

    def engine_move(self):
        """The engine's move; self.predicted is the reply it expects (the second move of its last thinking line)."""
        pv = []
        while not MOVE_LINE.match(line := self.e.expect(lambda l: MOVE_LINE.match(l) or THINKING.match(l), 30)):
            pv = THINKING.match(line).group(1).split()
        self.moves.append(MOVE_LINE.match(line).group(1))
        assert len(pv) >= 2, pv
        self.predicted = coordinates(pv[1], white=False)
        return self.moves[-1]

    def reply(self, move):
        self.moves.append(move)
        t0 = time.time()
        self.e.send(move)
        self.engine_move()
        return time.time() - t0

    def close(self):
        self.e.finish()
        text = "xboard\nforce\nsetboard %s\n%s\nquit\n" % (
            OPENING, "\n".join(coordinates(m, i % 2 == 0) for i, m in enumerate(self.moves)))
        out = run(self.path, self.cwd, text)[1]
        assert "Illegal" not in out and "Error" not in out, out


def test_predicted_reply_sooner_other_reply_full_search(path, cwd):
    g = Game(path, cwd)
    first = g.engine_move()
    assert first.replace("x", "") in ("f1b5", "b1c3", "d2d4", "f1c4"), first
    g.e.expect(THINKING.match, 5)  # the ponder search prints its lines
    time.sleep(1.2)
    g.e.send("time 6000", "otim 6000")  # 60 s: 2 s a move, as st says; the ponder search goes on
    took = g.reply(g.predicted)
    # 0.8 s are left of the 2 s; a search from scratch would take all of them.
    assert took < 1.7, "answered %.2f s after the predicted move (2 s a move, 1.2 s pondered)" % took
    time.sleep(0.5)
    took = g.reply(next(m for m in ["h7h6", "g7g6", "a7a6"] if m != g.predicted and m not in g.moves))
    assert 1.9 < took < 4.0, "a full search of 2 s after another reply, got %.2f s" % took
    g.close()


def test_commands_end_the_ponder_search(path, cwd):
    # force: the engine stops pondering and plays nothing; the moves typed
    # then are the game's, and go makes it think again.
    g = Game(path, cwd, seconds=1)
    g.engine_move()
    time.sleep(0.3)
    g.moves.append("a7a6")
    g.e.send("force", "a7a6", "board")  # a console command still works (the display toggles; nothing else)
    never(g.e.expect, MOVE_LINE.match, 1.5)
    g.e.send("go")
    g.engine_move()
    g.close()
    # quit while pondering ends the program at once.
    g = Game(path, cwd, seconds=1)
    g.engine_move()
    time.sleep(0.3)
    t0 = time.time()
    g.e.finish()
    assert time.time() - t0 < 2.0


def test_end_of_input_while_pondering(path, cwd):
    # From the move to the program's end, without pondering as the baseline: the ponder search ends with the input.
    took = {}
    for mode in ("easy", "hard"):
        e = Engine(path, cwd)
        e.send("xboard", "new", mode, "nopost", "st 1", "setboard " + OPENING, "go")
        e.expect(MOVE_LINE.match, 30)
        t0 = time.time()
        e.proc.stdin.close()
        e.finish(quit=False)
        took[mode] = time.time() - t0
        assert e.lines.get(timeout=5) is None, "output after the move (%s)" % mode
    assert took["hard"] < took["easy"] + 1.0, "the ponder search ends with the input: %r" % took


def test_easy_thinks_only_on_its_own_time(path, cwd):
    g = Game(path, cwd, ponder=False, seconds=1)
    g.engine_move()
    never(g.e.expect, THINKING.match, 1.0)
    assert g.reply(g.predicted) > 0.95
    g.close()


if __name__ == "__main__":
    sys.exit(run_tests(globals()))

#!/usr/bin/env python3
"""Pondering in the xboard protocol, through the real program over pipes:
after `hard` the engine searches the predicted reply while it waits. The
predicted move is answered sooner than the time per move (the wait counts),
any other move is answered after a full search, time/otim keep the ponder
search going, other commands end it and are handled as usual, and `easy`
(the default) thinks only on its own time."""
import re
import subprocess
import sys
import time

from engine_command import engine_command, engine_stderr
from pipes_engine import Engine, run_tests

OPENING = "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3"
MOVE_LINE = re.compile(r"^\d+\. \.\.\. (\S+)$")
THINKING = re.compile(r"^ +\d+ +-?\d+ +\d+ +\d+  (.*)$")


class Game:
    """An xboard session in which the engine plays White from OPENING."""

    def __init__(self, path, cwd, ponder=True, seconds=2):
        self.e = Engine(path, cwd)
        self.moves = []
        for line in ["xboard", "protover 2", "new", "hard" if ponder else "easy", "post",
                     "st %d" % seconds, "setboard " + OPENING, "go"]:
            self.e.send(line)
        self.seconds = seconds

    def engine_move(self, timeout=30):
        """The engine's next move and the thinking line before it (its principal variation)."""
        pv = []
        deadline = time.time() + timeout
        while True:
            line = self.e.expect(lambda l: MOVE_LINE.match(l) or THINKING.match(l), deadline - time.time())
            m = MOVE_LINE.match(line)
            if m:
                self.moves.append(m.group(1))
                return m.group(1), pv
            pv = THINKING.match(line).group(1).split()

    def predicted(self, pv):
        """The reply the engine expects (Black's move), as typed."""
        assert len(pv) >= 2, pv
        return typed(pv[1], white=False)

    def reply(self, move):
        self.moves.append(move)
        self.e.send(move)

    def close(self):
        self.e.send("quit")
        self.e.finish()


def typed(move, white):
    """A move as the engine prints it (capture and en passant marks, castling
    as O-O/O-O-O) in the coordinates it reads."""
    rank = "1" if white else "8"
    if move in ("O-O", "O-O-O"):
        return "e%sg%s" % (rank, rank) if move == "O-O" else "e%sc%s" % (rank, rank)
    return move.replace("x", "").replace("ep", "")


def replay_is_legal(path, cwd, moves):
    """Another engine, in force mode, takes every move of the game."""
    text = "xboard\nforce\nsetboard %s\n%s\nquit\n" % (OPENING, "\n".join(typed(m, i % 2 == 0) for i, m in enumerate(moves)))
    out = subprocess.run(engine_command(path), cwd=cwd, input=text, capture_output=True, text=True, timeout=60).stdout
    return "Illegal" not in out and "Error" not in out, out


def test_predicted_reply_is_answered_sooner(path, cwd):
    g = Game(path, cwd, seconds=2)
    first, pv = g.engine_move()
    assert first.replace("x", "") in ("f1b5", "b1c3", "d2d4", "f1c4"), first
    time.sleep(1.2)
    t0 = time.time()
    g.e.send("time 6000")   # 60 s: 2 s a move, as st says
    g.e.send("otim 6000")
    g.reply(g.predicted(pv))
    second, pv = g.engine_move()
    waited = time.time() - t0
    # 0.8 s are left of the 2 s; a search from scratch would take all of them.
    assert waited < 1.7, "answered %.2f s after the predicted move (2 s a move, 1.2 s pondered)" % waited
    g.close()
    ok, out = replay_is_legal(path, cwd, g.moves)
    assert ok, out


def test_other_reply_gets_a_full_search(path, cwd):
    g = Game(path, cwd, seconds=2)
    _, pv = g.engine_move()
    other = next(m for m in ["a7a6", "h7h6", "g7g6", "d7d6"] if m != g.predicted(pv))
    time.sleep(0.5)
    t0 = time.time()
    g.reply(other)
    g.engine_move()
    waited = time.time() - t0
    assert 1.9 < waited < 4.0, "a full search of 2 s, got %.2f s" % waited
    g.close()
    ok, out = replay_is_legal(path, cwd, g.moves)
    assert ok, out


def test_thinking_is_printed_while_pondering(path, cwd):
    g = Game(path, cwd, seconds=1)
    g.engine_move()
    # No reply yet: the ponder search's lines arrive meanwhile.
    line = g.e.expect(lambda l: THINKING.match(l) is not None, 5)
    assert THINKING.match(line), line
    g.close()


def test_commands_end_the_ponder_search(path, cwd):
    # force: the engine stops pondering and plays nothing; the moves typed
    # then are the game's, and go makes it think again.
    g = Game(path, cwd, seconds=1)
    g.engine_move()
    time.sleep(0.3)
    g.e.send("force")
    g.e.send("a7a6")
    g.e.send("board")  # a console command still works (the display toggles; nothing else)
    g.e.no_line(lambda l: MOVE_LINE.match(l) is not None, 1.5)
    g.e.send("go")
    g.e.expect(lambda l: MOVE_LINE.match(l) is not None, 5)
    g.close()
    # quit while pondering ends the program at once.
    g = Game(path, cwd, seconds=1)
    g.engine_move()
    time.sleep(0.3)
    t0 = time.time()
    g.e.send("quit")
    g.e.finish()
    assert time.time() - t0 < 2.0


def test_end_of_input_while_pondering(path, cwd):
    # The same session without pondering is the baseline: the end of input
    # must end the ponder search too, adding nothing like a search's time.
    took = {}
    for mode in ("easy", "hard"):
        text = "xboard\nnew\n%s\nnopost\nst 1\nsetboard %s\ngo\n" % (mode, OPENING)
        t0 = time.time()
        proc = subprocess.run(engine_command(path), cwd=cwd, input=text, capture_output=True, text=True, timeout=60)
        took[mode] = time.time() - t0
        assert proc.returncode == 0 and engine_stderr(proc.stderr) == "", (mode, proc.returncode, proc.stderr)
        assert MOVE_LINE.match(proc.stdout.strip().split("\n")[-1]), proc.stdout
    assert took["hard"] < took["easy"] + 1.0, "the ponder search ends with the input: %r" % took


def test_easy_thinks_only_on_its_own_time(path, cwd):
    g = Game(path, cwd, ponder=False, seconds=1)
    _, pv = g.engine_move()
    g.e.no_line(lambda l: THINKING.match(l) is not None, 1.0)
    t0 = time.time()
    g.reply(g.predicted(pv))
    g.engine_move()
    assert time.time() - t0 > 0.95
    g.close()


def main():
    return run_tests(globals())


if __name__ == "__main__":
    sys.exit(main())
